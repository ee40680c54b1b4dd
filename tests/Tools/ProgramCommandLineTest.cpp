// The programs' own command lines, run as a shell runs them: a wrong one gives exit 2 and two lines
// on stderr (what was wrong, and that --help shows the usage) before anything starts; --help gives
// the usage on stdout and exit 0. The stand-in's options here; the host's parse has its table in
// DemoArgumentsTest.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <openssl/pem.h>

#include "Platform/VirtualCard/VirtualDriverLicense.hpp"

namespace ekyc {
namespace {

struct Row {
  std::vector<std::string> arguments;
  int exitCode;         // 0: --help's usage on stdout
  std::string problem;  // the first line on stderr, after the program's name
};

std::string scratch(const std::string& name) { return testing::TempDir() + "ekyc-" + std::to_string(::getpid()) + "-" + name; }

std::string taken(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  std::remove(path.c_str());
  return text.str();
}

std::string quoted(const std::string& argument) {
  std::string text = "'";
  for (char c : argument) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return text + "'";
}

void expectEachRow(const std::string& program, const std::vector<Row>& rows) {
  const std::string name = program.substr(program.rfind('/') + 1);
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.arguments));
    std::string command = quoted(program);
    for (const auto& argument : row.arguments) command += " " + quoted(argument);
    command += " </dev/null >" + quoted(scratch("out")) + " 2>" + quoted(scratch("err"));
    const int status = std::system(command.c_str());
    const std::string out = taken(scratch("out")), err = taken(scratch("err"));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), row.exitCode);
    if (row.exitCode == 0) {
      EXPECT_TRUE(out.starts_with("usage: " + name + " ")) << out;
      EXPECT_EQ(err, "");
    } else {
      EXPECT_EQ(out, "");
      EXPECT_EQ(err, name + ": " + row.problem + "\n" + name + " --help shows the usage\n");
    }
  }
}

#ifdef EKYC_VERIFICATION_SERVER_PROGRAM
TEST(ProgramCommandLineTest, TheStandInNamesEachBadArgument) {
  const std::string key = scratch("issuer-key.pem"), keyless = scratch("keyless.pem");
  {
    std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(key.c_str(), "w"), BIO_free);
    ASSERT_TRUE(file && PEM_write_bio_PUBKEY(file.get(), VirtualDriverLicense::issuerKey().get()) == 1);
  }
  std::ofstream(keyless) << "no key here\n";
  const std::vector<Row> rows{
      {{"--help"}, 0, ""},
      {{"--port", "70000", "-h"}, 0, ""},
      {{"--cert-out", "/no/such/dir/x.pem"}, 2, "--cert-out: cannot write /no/such/dir/x.pem (No such file or directory)"},
      {{"--ski-key", "/no/such/file"}, 2, "--ski-key: cannot read /no/such/file (No such file or directory)"},
      {{"--ski-key", keyless}, 2, "--ski-key: no RSA key in " + keyless},
      {{"--ski-key", key, "--port", "-1"}, 2, "--port takes a number from 0 to 65535, not -1"},
      {{"--port", "http"}, 2, "--port takes a number from 0 to 65535, not http"},
      {{"--port", ""}, 2, "--port is empty"},
      {{"--cert-out", ""}, 2, "--cert-out is empty"},
      {{"--port", "--cert-out", "x.pem"}, 2, "--port needs a value"},
      {{"--port", "0", "--ski-key"}, 2, "--ski-key needs a value"},
      {{"--verbose"}, 2, "unknown option --verbose"},
      {{"serve"}, 2, "unexpected argument serve"},
  };
  expectEachRow(EKYC_VERIFICATION_SERVER_PROGRAM, rows);
  std::remove(key.c_str());
  std::remove(keyless.c_str());
}
#endif

#ifdef EKYC_DEMO_PROGRAM
// What the host prints around the message its parse gives; a stray argument, which may be a PIN,
// is never shown.
TEST(ProgramCommandLineTest, TheHostSaysWhatWasWrongAndWhereTheUsageIs) {
  const std::vector<Row> rows{
      {{"--help"}, 0, ""},
      {{"--verbose"}, 2, "unknown option --verbose"},
      {{"--pin", "SAMPLE_PIN=1234", "5678"}, 2, "argument 3 is not an option (every value follows its option)"},
      {{"--request", "--pin", "SAMPLE_PIN=1234"}, 2, "--request needs a value"},
  };
  expectEachRow(EKYC_DEMO_PROGRAM, rows);
}
#endif

}  // namespace
}  // namespace ekyc
