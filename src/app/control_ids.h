// Control IDs of the main window. The protocol logic reads and changes the
// window only through these, so every front end (the Qt window, the headless
// panel, a Win32 dialog) answers the same calls.
#pragma once

namespace tapix::ctl {

inline constexpr int Exit = 1;            // "Beenden" (IDOK)
inline constexpr int Cancel = 2;          // IDCANCEL
inline constexpr int Configure = 1000;    // "Einstellen ..."
inline constexpr int PortCombo = 1101;    // port list, in both dialogs

// Option boxes
inline constexpr int Checksum = 1001;
inline constexpr int Waiter3 = 1002;
inline constexpr int AutoQuery = 1009;
inline constexpr int CreditQuantity = 1021;
inline constexpr int AutoAnswer = 1042;
inline constexpr int SendRecord = 1043;
inline constexpr int AnswerOk = 1044;

// ISB fields
inline constexpr int IsbWaiter = 1039;
inline constexpr int IsbPlu = 1040;
inline constexpr int IsbTable = 1041;

// HOST buttons and their fields
inline constexpr int BtnA = 1006, FieldAWaiter = 1008;
inline constexpr int BtnE = 1007;
inline constexpr int BtnB = 1010, FieldBWaiter = 1011;
inline constexpr int BtnW = 1012, FieldWWaiter = 1013, BoxWFlag = 1014;
inline constexpr int BtnT = 1015, FieldTWaiter = 1016, BoxTFlag = 1017, FieldTTable = 1018;
inline constexpr int BtnC = 1019, FieldCWaiter = 1020;
inline constexpr int BtnK = 1022, FieldKQuantity = 1023, FieldKPlu = 1024;
inline constexpr int BtnS = 1025, FieldSQuantity = 1026, FieldSPlu = 1027;
inline constexpr int BtnQ = 1028, FieldQQuantity = 1029, FieldQPlu = 1030, FieldQWaiter = 1031;
inline constexpr int BtnLowerQ = 1032, FieldqQuantity = 1033, FieldqPlu = 1034, FieldqWaiter = 1035;
inline constexpr int BtnAt = 1036, FieldAtTable = 1037, FieldAtWaiter = 1038;

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
