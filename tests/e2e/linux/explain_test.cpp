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

// A trace that cannot be opened ends the start; one whose writes fail (a
// full disk) does not stop the run, but its end says so, with exit code 4.
TEST(Trace, AFileThatCannotBeWrittenIsNeverASilentSuccess) {
  TempDir config;
  PtyPair line;
  TapixProcess missing({"--no-window", "--trace=/nonexistent/trace.jsonl", line.path()},
                       config.path());
  EXPECT_EQ(missing.Wait(), 2);
  EXPECT_NE(missing.Log().find("Trace-Datei /nonexistent/trace.jsonl nicht ge\xF6" "ffnet: Fehler 2"),
            std::string::npos)
      << missing.Log();

  TapixProcess full({"--no-window", "--trace=/dev/full", line.path()}, config.path());
  ASSERT_NE(full.WaitFor(") succeeded\n"), std::string::npos) << full.Log();
  line.Send("A005");
  EXPECT_EQ(line.Receive(1), "R") << "the run goes on";
  full.Command("quit");
  EXPECT_EQ(full.Wait(), 4) << full.Log();
  EXPECT_NE(full.Log().find("Trace-Datei unvollst\xE4ndig: Schreibfehler\n"), std::string::npos)
      << full.Log();
}

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Pty, ExplainCases, PtyDiagnosis);

}  // namespace tapix::e2e
