#include "app/window_values.h"

#include "app/control_ids.h"

namespace tapix {

FieldValues ReadFields(const Panel& window, const MessageSpec& message) {
  FieldValues values{};
  const auto fields = message.Fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const int control = fields[i].control;
    if (fields[i].IsFlag()) {
      values[i] = window.IsChecked(control) ? 1 : 0;
    } else if (message.kind == Kind::Record) {
      values[i] = ReadUnsignedField(window, control);
    } else {
      values[i] = static_cast<std::uint32_t>(ReadSignedField(window, control));
    }
  }
  return values;
}

bool CheckBoxTicked(const Session& session) {
  if (session.window) return session.window->IsChecked(ctl::Checksum);
  return session.options.Checksum != 0;
}

FieldValues TakeRecordFields(Session& session) {
  if (!session.options.SendRecord || !session.window) return {};
  const FieldValues record = ReadFields(*session.window, MessageOf(Kind::Record));
  session.options.SendRecord = 0;
  session.window->SetChecked(ctl::SendRecord, false);
  return record;
}

}  // namespace tapix
