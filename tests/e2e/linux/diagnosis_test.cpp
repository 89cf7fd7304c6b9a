// The diagnosis cases on the Linux program: a pty line, files in a folder of
// the test's own.
#include <gtest/gtest.h>

#include "diagnosis_cases.h"
#include "tapix_process.h"

namespace tapix::e2e {
namespace {

struct PtyDiagnosis {
  std::unique_ptr<TapixProcess> Start(std::vector<std::string> options) {
    options.insert(options.begin(), "--no-window");
    options.push_back(pty.path() + ",9600,N,8,1");
    return std::make_unique<TapixProcess>(options, config.path());
  }
  const std::string& Folder() const { return config.path(); }
  std::string Named(const std::string& path) const { return path; }

  TempDir config;
  PtyPair pty;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Pty, DiagnosisCases, PtyDiagnosis);

}  // namespace tapix::e2e
