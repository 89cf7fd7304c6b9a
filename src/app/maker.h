// The maker's name and addresses, shown in the banner and linked from the window.
#pragma once

namespace tapix::maker {

inline constexpr const char* kName = "Ing. Brixner Softwareengineering";
inline constexpr const char* kWebHost = "www.brixner.example";
inline constexpr const char* kWebUrl = "https://www.brixner.example/";
inline constexpr const char* kMail = "office@brixner.example";

}  // namespace tapix::maker
