#include "app/junit_report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "log/text_encoding.h"

namespace tapix {
namespace {

// Code page 1252 text as the content of an XML attribute or element.
std::string Xml(std::string_view text) {
  std::string escaped;
  for (const char c : ToUtf8(text, false)) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped.push_back(c);
    }
  }
  return escaped;
}

// "1.234": seconds with three decimals, as JUnit's time attributes are.
std::string Seconds(std::chrono::milliseconds ms) {
  const std::string fraction = std::to_string(1000 + ms.count() % 1000).substr(1);
  return std::to_string(ms.count() / 1000) + "." + fraction;
}

}  // namespace

std::string JunitReport(const Scenario& scenario, std::chrono::milliseconds total) {
  std::size_t failures = 0;
  std::size_t skipped = 0;
  for (const ExpectResult& result : scenario.Results()) {
    failures += result.outcome == ExpectResult::Outcome::Failed;
    skipped += result.outcome == ExpectResult::Outcome::NotReached;
  }
  const std::string name = Xml(scenario.Source().name);
  const std::string counts = " tests=\"" + std::to_string(scenario.Results().size()) +
                             "\" failures=\"" + std::to_string(failures) +
                             "\" errors=\"0\" skipped=\"" + std::to_string(skipped) +
                             "\" time=\"" + Seconds(total) + "\"";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += "<testsuites name=\"tapix\"" + counts + ">\n";
  xml += "  <testsuite name=\"" + name + "\"" + counts + ">\n";
  for (const ExpectResult& result : scenario.Results()) {
    const Statement& statement = *result.statement;
    xml += "    <testcase classname=\"" + name + "\" name=\"" +
           Xml(std::to_string(statement.line) + ": " + statement.source) + "\" time=\"" +
           Seconds(result.waited) + "\"";
    switch (result.outcome) {
      case ExpectResult::Outcome::Met:
        xml += "/>\n";
        break;
      case ExpectResult::Outcome::Failed:
        xml += ">\n      <failure message=\"" + Xml(result.failure) + "\">" +
               Xml(scenario.Source().name + ":" + std::to_string(statement.line) + ": " +
                   result.failure) +
               "</failure>\n    </testcase>\n";
        break;
      case ExpectResult::Outcome::NotReached:
        xml += ">\n      <skipped message=\"nicht erreicht\"/>\n    </testcase>\n";
        break;
    }
  }
  xml += "  </testsuite>\n</testsuites>\n";
  return xml;
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const int write_code = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  error = std::strerror(written ? errno : write_code);
  return false;
}

}  // namespace tapix
