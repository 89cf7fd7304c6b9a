// The diagnosis cases (explain_cases.h) for the Linux program on pty pairs.
#include <gtest/gtest.h>

#include <memory>

#include "explain_cases.h"

namespace tapix::e2e {
namespace {

struct PtyDiagnosis {
  std::unique_ptr<TapixProcess> Start(std::vector<std::string> extra) {
    extra.insert(extra.begin(), "--no-window");
    extra.push_back(line.path() + ",9600,N,8,1");
    auto tapix = std::make_unique<TapixProcess>(extra, config.path());
    EXPECT_NE(tapix->WaitFor(") succeeded\n"), std::string::npos) << tapix->Log();
    return tapix;
  }
  std::unique_ptr<TapixProcess> StartTap(std::vector<std::string> extra) {
    extra.insert(extra.begin(), {"--no-window", kasse.path() + ",9600,N,8,1", "--tap=" + isb.path()});
    auto tapix = std::make_unique<TapixProcess>(extra, config.path());
    EXPECT_NE(tapix->WaitFor(", Schankanlage an COM"), std::string::npos) << tapix->Log();
    return tapix;
  }
  static std::string Path(const std::string& local) { return local; }

  TempDir config;
  TempDir files;
  PtyPair line;
  PtyPair kasse;
  PtyPair isb;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Pty, ExplainCases, PtyDiagnosis);

}  // namespace tapix::e2e
