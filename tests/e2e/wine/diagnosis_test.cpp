// tapix.exe under Wine passes the same diagnosis cases as the Linux program:
// the line on COM13, files on Wine's drive Z: (the Linux root).
#include <gtest/gtest.h>

#include "diagnosis_cases.h"
#include "wine_line.h"

namespace tapix::wine {

struct WineDiagnosis {
  std::unique_ptr<TapixProcess> Start(std::vector<std::string> options) {
    options.insert(options.begin(), "--no-window");
    options.push_back("13,9600,N,8,1");
    return std::make_unique<TapixProcess>(Tapix(), options, WineEnvironment());
  }
  const std::string& Folder() const { return folder.path(); }
  std::string Named(const std::string& path) const { return "Z:" + path; }

  e2e::TempDir folder;
  ComPort pty{13};
};

}  // namespace tapix::wine

namespace tapix::e2e {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, DiagnosisCases, ::tapix::wine::WineDiagnosis);
}  // namespace tapix::e2e
