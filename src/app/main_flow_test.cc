// The mail program's command line.
#include "app/main_flow.h"

#include <gtest/gtest.h>

namespace {

TEST(MailProgramCommandTest, JoinsTheProgramFolderAndQuotesBlanks) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "ORVEML"},
      {"C:\\ORV\\", "C:\\ORV\\ORVEML"},
      {"C:\\ORV", "C:\\ORV\\ORVEML"},
      {"D:", "D:ORVEML"},
      {"C:/orv/", "C:/orv/\\ORVEML"},
      {"C:\\Program Files\\ORV\\", "\"C:\\Program Files\\ORV\\ORVEML\""},
      {"C:\\Program Files\\ORV", "\"C:\\Program Files\\ORV\\ORVEML\""},
  };
  for (auto& c : cases) EXPECT_EQ(MailProgramCommand(c.first), c.second) << c.first;
}

}  // namespace
