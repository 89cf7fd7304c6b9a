// Control IDs of the main window. The protocol logic reads and changes the
// window only through these, so every front end (the Qt window, the headless
// panel, a Win32 dialog) answers the same calls.
//
// The option boxes, the command buttons and the fields of each message are
// named here from the protocol's tables, where each number is written once
// (the option list and the message table); the others are the window's own.
#pragma once

#include "protocol/messages.h"
#include "protocol/options.h"

namespace tapix::ctl {

inline constexpr int Exit = 1;            // "Beenden" (IDOK)
inline constexpr int Ok = 1;              // the port question's "OK" (IDOK as well)
inline constexpr int Cancel = 2;          // IDCANCEL: the port question's "Abbrechen"
inline constexpr int Configure = 1000;    // "Einstellen ..."
inline constexpr int PortCombo = 1101;    // port list, in both dialogs

// Option boxes
inline constexpr int Checksum = OptionOf(Option::Checksum).box;
inline constexpr int Waiter3 = OptionOf(Option::Waiter3).box;
inline constexpr int AutoQuery = OptionOf(Option::AutoQuery).box;
inline constexpr int CreditQuantity = OptionOf(Option::CreditQuantity).box;
inline constexpr int AutoAnswer = OptionOf(Option::AutoAnswer).box;
inline constexpr int SendRecord = OptionOf(Option::SendRecord).box;
inline constexpr int AnswerOk = OptionOf(Option::AnswerOk).box;

// The button of a message kind, and the control of its field `i` (in message
// order).
constexpr int ButtonOf(Kind kind) { return MessageOf(kind).button; }
constexpr int FieldOf(Kind kind, std::size_t i) { return MessageOf(kind).fields[i].control; }

// ISB fields: the dispense record's waiter, PLU and table
inline constexpr int IsbWaiter = FieldOf(Kind::Record, 0);
inline constexpr int IsbPlu = FieldOf(Kind::Record, 1);
inline constexpr int IsbTable = FieldOf(Kind::Record, 2);

// HOST buttons and their fields
inline constexpr int BtnA = ButtonOf(Kind::WaiterRelease);
inline constexpr int FieldAWaiter = FieldOf(Kind::WaiterRelease, 0);
inline constexpr int BtnE = ButtonOf(Kind::RecordQuery);
inline constexpr int BtnB = ButtonOf(Kind::WaiterLock);
inline constexpr int FieldBWaiter = FieldOf(Kind::WaiterLock, 0);
inline constexpr int BtnW = ButtonOf(Kind::WaiterLogOnOff);
inline constexpr int FieldWWaiter = FieldOf(Kind::WaiterLogOnOff, 0);
inline constexpr int BoxWFlag = FieldOf(Kind::WaiterLogOnOff, 1);
inline constexpr int BtnT = ButtonOf(Kind::TableReleaseLock);
inline constexpr int FieldTWaiter = FieldOf(Kind::TableReleaseLock, 0);
inline constexpr int FieldTTable = FieldOf(Kind::TableReleaseLock, 1);
inline constexpr int BoxTFlag = FieldOf(Kind::TableReleaseLock, 2);
inline constexpr int BtnC = ButtonOf(Kind::TurnoverDelete);
inline constexpr int FieldCWaiter = FieldOf(Kind::TurnoverDelete, 0);
inline constexpr int BtnK = ButtonOf(Kind::CreditRelease);
inline constexpr int FieldKQuantity = FieldOf(Kind::CreditRelease, 0);
inline constexpr int FieldKPlu = FieldOf(Kind::CreditRelease, 1);
inline constexpr int BtnS = ButtonOf(Kind::CreditCancel);
inline constexpr int FieldSQuantity = FieldOf(Kind::CreditCancel, 0);
inline constexpr int FieldSPlu = FieldOf(Kind::CreditCancel, 1);
inline constexpr int BtnQ = ButtonOf(Kind::WaiterCreditRelease);
inline constexpr int FieldQQuantity = FieldOf(Kind::WaiterCreditRelease, 0);
inline constexpr int FieldQWaiter = FieldOf(Kind::WaiterCreditRelease, 1);
inline constexpr int FieldQPlu = FieldOf(Kind::WaiterCreditRelease, 2);
inline constexpr int BtnLowerQ = ButtonOf(Kind::WaiterCreditCancel);
inline constexpr int FieldqQuantity = FieldOf(Kind::WaiterCreditCancel, 0);
inline constexpr int FieldqWaiter = FieldOf(Kind::WaiterCreditCancel, 1);
inline constexpr int FieldqPlu = FieldOf(Kind::WaiterCreditCancel, 2);
inline constexpr int BtnAt = ButtonOf(Kind::TableOccupancy);
inline constexpr int FieldAtTable = FieldOf(Kind::TableOccupancy, 0);
inline constexpr int FieldAtWaiter = FieldOf(Kind::TableOccupancy, 1);

// Captions, pictures, links
inline constexpr int TitleCaption = 1050;
inline constexpr int GeneralCaption = 1047;
inline constexpr int HostCaption = 1045;
inline constexpr int IsbCaption = 1046;
inline constexpr int MailLink = 1048;
inline constexpr int WebLink = 1049;
inline constexpr int MakerPicture = 1051;
inline constexpr int ProgramPicture = 1052;

}  // namespace tapix::ctl
