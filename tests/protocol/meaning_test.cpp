// A message's meaning and fields as the table reads them: every kind under
// the options that shape it, written out here, not derived from the table.
#include <gtest/gtest.h>

#include <string>

#include "protocol/meaning.h"

namespace tapix {
namespace {

std::string Of(Kind kind, const std::string& text, bool waiter3 = false, bool quantity = false,
               bool complete = true) {
  OptionFlags options;
  options.Waiter3 = waiter3;
  options.CreditQuantity = quantity;
  return Meaning(MessageOf(kind), text, options, complete);
}

TEST(Meaning, EveryKindNamesItsFields) {
  EXPECT_EQ(Of(Kind::WaiterRelease, "A005"), "Kellnerfreigabe: Kellner 5");
  EXPECT_EQ(Of(Kind::WaiterLock, "B127"), "Kellnersperre: Kellner 127");
  EXPECT_EQ(Of(Kind::TurnoverDelete, "C000"), "Umsatzl\xF6schung: Kellner 0");
  EXPECT_EQ(Of(Kind::WaiterLogOnOff, "W0050"), "Kellneran-/abmeldung: Kellner 5, Abmelden nein");
  EXPECT_EQ(Of(Kind::TableReleaseLock, "T0050071"),
            "Tischfreigabe/-sperre: Kellner 5, Tisch 7, Freigabe ja");
  EXPECT_EQ(Of(Kind::CreditRelease, "K0345"), "Kreditfreigabe: PLU 345");
  EXPECT_EQ(Of(Kind::CreditRelease, "K00020345", false, true),
            "Kreditfreigabe: St\xFC" "ckzahl 2, PLU 345");
  EXPECT_EQ(Of(Kind::CreditCancel, "S0345"), "Kreditstorno: PLU 345");
  EXPECT_EQ(Of(Kind::WaiterCreditRelease, "Q0050345"), "Kellnerkreditfreigabe: Kellner 5, PLU 345");
  EXPECT_EQ(Of(Kind::WaiterCreditCancel, "q00020050345", false, true),
            "Kellnerkreditstorno: St\xFC" "ckzahl 2, Kellner 5, PLU 345");
  EXPECT_EQ(Of(Kind::TableOccupancy, "@00712"), "Tischbelegung: Tisch 7, Kellner 12");
  EXPECT_EQ(Of(Kind::TableOccupancy, "@007123", true), "Tischbelegung: Tisch 7, Kellner 123");
  EXPECT_EQ(Of(Kind::RecordQuery, "E"), "Datensatzabfrage");
  EXPECT_EQ(Of(Kind::Record, "120345007"), "Datensatz: Kellner 12, PLU 345, Tisch 7");
  EXPECT_EQ(Of(Kind::Record, "1230345007", true), "Datensatz: Kellner 123, PLU 345, Tisch 7");
  EXPECT_EQ(Of(Kind::Ok, "R"), "Quittung");
  EXPECT_EQ(Of(Kind::RecordError, "F"), "Datensatzfehler");
  EXPECT_EQ(Of(Kind::UnitInvalid, "f"), "Storno ung\xFCltig");
}

TEST(Meaning, ACheckCharacterAfterTheFieldsIsNoField) {
  EXPECT_EQ(Of(Kind::WaiterRelease, "A005t"), "Kellnerfreigabe: Kellner 5");
}

TEST(Meaning, CutShortOrNotDigits) {
  EXPECT_EQ(Of(Kind::TableReleaseLock, "T0050", false, false, false),
            "Tischfreigabe/-sperre: Kellner 5 (abgebrochen)");
  EXPECT_EQ(Of(Kind::Record, "1", false, false, false), "Datensatz (abgebrochen)");
  EXPECT_EQ(Of(Kind::WaiterRelease, "A0x5"), "Kellnerfreigabe: Kellner \"0x5\"");
  EXPECT_EQ(Of(Kind::WaiterRelease, std::string("A\0" "05", 4)),
            std::string("Kellnerfreigabe: Kellner \"\0" "05\"", 30));
}

TEST(Meaning, FieldsKeepTheirDigitsAndNumbers) {
  OptionFlags options;
  const auto fields = ReadFields(MessageOf(Kind::TableReleaseLock), "T0050071", options);
  ASSERT_EQ(fields.size(), 3u);
  EXPECT_STREQ(fields[1].spec->name, "Tisch");
  EXPECT_EQ(fields[1].digits, "007");
  EXPECT_EQ(fields[1].value, 7u);
}

TEST(HexBytes, EveryByteTwoDigits) {
  EXPECT_EQ(HexBytes(""), "");
  EXPECT_EQ(HexBytes(std::string("\x00\x0A\xFF" "A", 4)), "00 0A FF 41");
}

}  // namespace
}  // namespace tapix
