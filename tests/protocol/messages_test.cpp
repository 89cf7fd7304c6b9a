// The message table and what is made from it: lengths, composed texts,
// reductions, the option list. The expected texts are written out here, not
// derived from the table, so a wrong row fails.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "protocol/messages.h"
#include "protocol/options.h"

namespace tapix {
namespace {

OptionFlags Layout(bool waiter3, bool credit_quantity) {
  OptionFlags options;
  options.Waiter3 = waiter3;
  options.CreditQuantity = credit_quantity;
  return options;
}

std::string Text(Kind kind, FieldValues values, bool waiter3 = false, bool quantity = false,
                 bool check = false) {
  return Compose(MessageOf(kind), values, Layout(waiter3, quantity), check);
}

TEST(MessageTable, RowsStandInKindOrderWithUniqueCharactersButtonsAndControls) {
  std::set<char> firsts;
  std::set<int> controls;
  for (std::size_t i = 0; i < std::size(kMessages); ++i) {
    const MessageSpec& m = kMessages[i];
    EXPECT_EQ(static_cast<std::size_t>(m.kind), i) << m.name;
    if (m.first) {
      EXPECT_TRUE(firsts.insert(m.first).second) << m.first;
    }
    if (m.button) {
      EXPECT_TRUE(controls.insert(m.button).second) << m.name;
    }
    for (const FieldSpec& f : m.Fields()) EXPECT_TRUE(controls.insert(f.control).second) << f.name;
    // A kind carries a check character exactly when it has fields; only the
    // kinds with fields are answered by an acknowledgement.
    EXPECT_EQ(m.check, !m.Fields().empty()) << m.name;
    EXPECT_EQ(m.reply == Reply::None, m.Fields().empty() && m.kind != Kind::RecordQuery) << m.name;
  }
  for (const OptionSpec& o : kOptionList) EXPECT_TRUE(controls.insert(o.box).second) << o.name;
  EXPECT_EQ(MessageOf(Kind::Record).first, 0);  // led by a digit, no letter
}

TEST(MessageTable, FirstCharactersTellCaseApartAndDigitsLeadTheRecord) {
  EXPECT_EQ(MessageStartedBy('Q')->kind, Kind::WaiterCreditRelease);
  EXPECT_EQ(MessageStartedBy('q')->kind, Kind::WaiterCreditCancel);
  EXPECT_EQ(MessageStartedBy('F')->kind, Kind::RecordError);
  EXPECT_EQ(MessageStartedBy('f')->kind, Kind::UnitInvalid);
  EXPECT_EQ(MessageStartedBy('0')->kind, Kind::Record);
  EXPECT_EQ(MessageStartedBy('9')->kind, Kind::Record);
  for (int b : {int{'e'}, int{'a'}, int{'s'}, int{'\n'}, 0, 0xB5})
    EXPECT_EQ(MessageStartedBy(static_cast<unsigned char>(b)), nullptr) << b;
  int starters = 0;
  for (int b = 0; b < 256; ++b) {
    starters += MessageStartedBy(static_cast<unsigned char>(b)) != nullptr;
  }
  EXPECT_EQ(starters, 10 + 10 + 1 + 5);  // digits, lettered messages, E, single answers
  EXPECT_EQ(MessageOfButton(1006)->kind, Kind::WaiterRelease);
  EXPECT_EQ(MessageOfButton(1007)->kind, Kind::RecordQuery);
  EXPECT_EQ(MessageOfButton(0), nullptr);
  EXPECT_EQ(MessageOfButton(1001), nullptr);  // an option box
}

TEST(MessageTable, LengthsUnderEveryOptionState) {
  struct Row {
    char first;
    std::size_t plain, waiter3, quantity;
  };
  // Characters after the first one, without the check character.
  for (Row r : {Row{'0', 8, 9, 8}, Row{'7', 8, 9, 8}, Row{'@', 5, 6, 5}, Row{'A', 3, 3, 3},
                Row{'B', 3, 3, 3}, Row{'C', 3, 3, 3}, Row{'W', 4, 4, 4}, Row{'T', 7, 7, 7},
                Row{'K', 4, 4, 8}, Row{'S', 4, 4, 8}, Row{'Q', 7, 7, 11}, Row{'q', 7, 7, 11},
                Row{'E', 0, 0, 0}, Row{'R', 0, 0, 0}, Row{'t', 0, 0, 0}}) {
    const MessageSpec& m = *MessageStartedBy(static_cast<unsigned char>(r.first));
    EXPECT_EQ(FollowCount(m, Layout(false, false)), r.plain) << r.first;
    EXPECT_EQ(FollowCount(m, Layout(true, false)), r.waiter3) << r.first;
    EXPECT_EQ(FollowCount(m, Layout(false, true)), r.quantity) << r.first;
    // The check character adds one to every kind with fields, and to nothing else.
    EXPECT_EQ(RestLength(m, Layout(false, false), true), r.plain + (r.plain ? 1 : 0)) << r.first;
    EXPECT_EQ(RestLength(m, Layout(false, false), false), r.plain) << r.first;
  }
}

TEST(MessageTable, EveryComposedTextHasTheLengthTheReceiverReads) {
  // All kinds, all option states, values that reach every reduction.
  for (const MessageSpec& m : kMessages) {
    for (int state = 0; state < 8; ++state) {
      const OptionFlags o = Layout(state & 1, state & 2);
      const bool check = state & 4;
      for (std::uint32_t v : {0u, 5u, 200u, 9999u, 0xFFFFFFFFu}) {
        const std::string text = Compose(m, {v, v, v}, o, check);
        if (m.Fields().empty()) {
          EXPECT_EQ(text, std::string(1, m.first)) << m.name;  // "E" alone, never a check
          continue;
        }
        const std::size_t lead = m.first ? 1 : 0;
        const std::size_t digits = 1 + FollowCount(m, o);
        // A check character of 0 does not go out: the text keeps its digits only.
        EXPECT_TRUE(text.size() == digits + (check ? 1 : 0) || (check && text.size() == digits))
            << m.name << " " << text;
        for (std::size_t i = lead; i < digits; ++i) EXPECT_TRUE(text[i] >= '0' && text[i] <= '9');
        EXPECT_LE(text.size(), kLongestMessage);
      }
    }
  }
}

TEST(MessageTable, HostRequestsWithTheirReductions) {
  EXPECT_EQ(Text(Kind::WaiterRelease, {5}), "A005");
  EXPECT_EQ(Text(Kind::WaiterRelease, {5}, false, false, true), "A005t");
  EXPECT_EQ(Text(Kind::WaiterRelease, {200}), "A072");
  EXPECT_EQ(Text(Kind::WaiterLock, {128}), "B000");
  EXPECT_EQ(Text(Kind::TurnoverDelete, {0xFFFFFFFFu}), "C127");
  EXPECT_EQ(Text(Kind::WaiterLogOnOff, {51, 1}), "W0511");
  EXPECT_EQ(Text(Kind::WaiterLogOnOff, {51, 0}), "W0510");
  EXPECT_EQ(Text(Kind::WaiterLogOnOff, {51, 7}), "W0511");  // any state but 0 is ticked
  EXPECT_EQ(Text(Kind::TableReleaseLock, {12, 1045, 1}), "T0120451");
  EXPECT_EQ(Text(Kind::TableReleaseLock, {0xFFFFFFFFu, 0xFFFFFFFFu, 1}), "T1272951");
  // K and S, Q and q: the same layout, the quantity only with CreditQuantity.
  EXPECT_EQ(Text(Kind::CreditRelease, {123, 9999}), "K1743");
  EXPECT_EQ(Text(Kind::CreditRelease, {123, 8256}, false, true), "K00230000");
  EXPECT_EQ(Text(Kind::CreditCancel, {150, 9000}), "S0744");
  EXPECT_EQ(Text(Kind::CreditCancel, {0xFFFFFFFFu, 1}, false, true), "S00950001");
  EXPECT_EQ(Text(Kind::WaiterCreditRelease, {23, 5, 123}), "Q0050123");
  EXPECT_EQ(Text(Kind::WaiterCreditRelease, {23, 5, 123}, false, true), "Q00230050123");
  EXPECT_EQ(Text(Kind::WaiterCreditRelease, {23, 5, 123}, false, true, true), "Q00230050123e");
  EXPECT_EQ(Text(Kind::WaiterCreditCancel, {150, 200, 9000}, false, true), "q00500720744");
  // Waiter3 changes "@" (and the record) and nothing else.
  EXPECT_EQ(Text(Kind::TableOccupancy, {12, 123}), "@01223");
  EXPECT_EQ(Text(Kind::TableOccupancy, {12, 123}, true), "@012123");
  EXPECT_EQ(Text(Kind::TableOccupancy, {12, 200}), "@01200");
  EXPECT_EQ(Text(Kind::TableOccupancy, {12, 200}, true), "@012072");
  EXPECT_EQ(Text(Kind::TableOccupancy, {12, 7}, false, false, true), "@01207t");
  EXPECT_EQ(Text(Kind::TableOccupancy, {12, 7}, true, false, true), "@012007D");
  EXPECT_EQ(Text(Kind::WaiterRelease, {5}, true, true), "A005");
  EXPECT_EQ(Text(Kind::RecordQuery, {}, true, true, true), "E");
}

TEST(MessageTable, DispenseRecord) {
  EXPECT_EQ(Text(Kind::Record, {150, 9000, 1234}), "500744234");
  EXPECT_EQ(Text(Kind::Record, {150, 9000, 1234}, true), "0220744234");
  EXPECT_EQ(Text(Kind::Record, {12, 345, 7}, false, false, true), "1203450076");
  EXPECT_EQ(Text(Kind::Record, {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}, true), "1276207295");
  EXPECT_EQ(Text(Kind::Record, {}, false, false, true), "0000000000");  // nine zeros, check 0
  // Ten zeros XOR to 0: the check character ends the text, ten digits go out.
  EXPECT_EQ(Text(Kind::Record, {}, true, false, true), "0000000000");
  EXPECT_EQ(Text(Kind::Record, {}, true, true, false), "0000000000");
}

TEST(MessageTable, Reductions) {
  EXPECT_EQ(Reduce(200, Reduction::Low7Bits), 72u);
  EXPECT_EQ(Reduce(200, Reduction::Mod100), 0u);
  EXPECT_EQ(Reduce(200, Reduction::Mod128), 72u);
  EXPECT_EQ(Reduce(9000, Reduction::Mod8256), 744u);
  EXPECT_EQ(Reduce(8256, Reduction::Mod8256), 0u);
  EXPECT_EQ(Reduce(1045, Reduction::Mod1000), 45u);
  const std::uint32_t minus_one = static_cast<std::uint32_t>(-1);
  EXPECT_EQ(Reduce(minus_one, Reduction::Low7Bits), 127u);
  EXPECT_EQ(Reduce(minus_one, Reduction::Mod100), 95u);
  EXPECT_EQ(Reduce(minus_one, Reduction::Mod1000), 295u);
  EXPECT_EQ(Reduce(minus_one, Reduction::Mod8256), 6207u);
  EXPECT_EQ(Reduce(minus_one, Reduction::Flag), 1u);
}

TEST(OptionList, StartValuesNamesAndBoxes) {
  const OptionFlags start;
  EXPECT_EQ(start.Checksum, 0u);
  EXPECT_EQ(start.Waiter3, 0u);
  EXPECT_EQ(start.CreditQuantity, 0u);
  EXPECT_EQ(start.AutoAnswer, 1u);
  EXPECT_EQ(start.AnswerOk, 1u);
  EXPECT_EQ(start.AutoQuery, 0u);
  EXPECT_EQ(start.SendRecord, 0u);
  for (std::size_t i = 0; i < std::size(kOptionList); ++i) {
    const OptionSpec& o = kOptionList[i];
    EXPECT_EQ(static_cast<std::size_t>(o.option), i);
    EXPECT_EQ(OptionOfBox(o.box), &o);
    EXPECT_EQ(OptionNamed(o.name), &o);
  }
  EXPECT_EQ(OptionNamed("cReDiTqUaNtItY"), &OptionOf(Option::CreditQuantity));
  EXPECT_EQ(OptionNamed("Checksu"), nullptr);
  EXPECT_EQ(OptionNamed("Checksums"), nullptr);
  EXPECT_EQ(OptionOfBox(1014), nullptr);  // W's flag box is a field, not an option
  EXPECT_EQ(OptionOf(Option::SendRecord).box, 1043);
  OptionFlags o;
  o.*OptionOf(Option::Waiter3).flag = 1;
  EXPECT_TRUE(IsOn(o, Option::Waiter3));
  EXPECT_FALSE(IsOn(o, Option::Checksum));
}

}  // namespace
}  // namespace tapix
