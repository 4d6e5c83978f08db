// Tests that OemToAnsiTrim, which trims the code page 866 text before converting
// it, gives what trimming the converted text gives, for every byte at either end.
#include <gtest/gtest.h>

#include <string>

#include "common/codepage.h"
#include "common/text.h"

namespace ranta2kv {
namespace {

TEST(OemToAnsiTrimTest, TrimmingBeforeTheConversionEqualsTrimmingAfterIt) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string blanks(17, ' ');
    for (const std::string& text : {byte, byte + "\xE0 x" + byte, " " + byte + "\x8F" + byte + "\t",
                                    "x" + byte + blanks, blanks + byte + blanks + byte + blanks + blanks}) {
      EXPECT_EQ(OemToAnsiTrim(text), TrimControlAndBlanks(Oem866ToAnsi(text))) << "byte " << b;
    }
  }
}

}  // namespace
}  // namespace ranta2kv
