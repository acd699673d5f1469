// Numbers are read and written the same whatever numeric locale the
// application has set: with a comma as the decimal point in force, the C
// library would read "1,5" and write "1234,5"; the conversions must not.
#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>

#include "driver/odbc/convert/conv_types.h"
#include "testing/conv_test_support.h"
#include "testing/temp_dir.h"

namespace {

class CommaLocaleTest : public ConvRoutineTest {
 protected:
  // Compiling a locale takes seconds: once for the suite.
  static void SetUpTestSuite() {
    const char* locpath = std::getenv("LOCPATH");
    had_locpath_ = locpath != nullptr;
    if (had_locpath_) locpath_ = locpath;
    const char* saved = std::setlocale(LC_NUMERIC, nullptr);
    saved_ = saved != nullptr ? saved : "C";
    locale_ = FindCommaLocale();
    std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  static void TearDownTestSuite() {
    if (had_locpath_) {
      setenv("LOCPATH", locpath_.c_str(), 1);
    } else {
      unsetenv("LOCPATH");
    }
    scratch_.reset();
  }

  void SetUp() override {
    ConvRoutineTest::SetUp();
    if (locale_.empty() || std::setlocale(LC_NUMERIC, locale_.c_str()) == nullptr) {
      GTEST_SKIP() << "no locale with a decimal comma on this machine";
    }
  }
  void TearDown() override {
    std::setlocale(LC_NUMERIC, saved_.c_str());
    ConvRoutineTest::TearDown();
  }

 private:
  static bool CommaInForce() {
    const std::lconv* conventions = std::localeconv();
    return conventions != nullptr && std::string(conventions->decimal_point) == ",";
  }

  // An installed German locale, else one compiled into a scratch
  // directory from the system's locale sources; "" when neither works.
  static std::string FindCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"}) {
      if (std::setlocale(LC_NUMERIC, name) != nullptr && CommaInForce()) return name;
    }
    scratch_ = std::make_unique<TempDir>();
    std::string command =
        "localedef -i de_DE -f UTF-8 '" + scratch_->Path("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return "";
    setenv("LOCPATH", scratch_->path().c_str(), 1);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr && CommaInForce()) {
      return "de_DE.UTF-8";
    }
    return "";
  }

  static inline std::string saved_;
  static inline std::string locale_;
  static inline bool had_locpath_ = false;
  static inline std::string locpath_;
  static inline std::unique_ptr<TempDir> scratch_;
};

TEST_F(CommaLocaleTest, TextIsReadWithAPoint) {
  EXPECT_EQ(ConvertText("1.5", kSqlDouble, 8).Value<double>(), 1.5);
  EXPECT_EQ(ConvertText("1,5", kSqlDouble, 8).result, kConvInvalidText);
  EXPECT_EQ(ConvertText("2.5", kSqlReal, 4).Value<float>(), 2.5f);
  ConvOutcome whole = ConvertText("12.5", kSqlCSLong, 4);
  EXPECT_EQ(whole.result, kConvTruncated);
  EXPECT_EQ(whole.Value<int32_t>(), 12);
  EXPECT_EQ(ConvertText("12,5", kSqlCSLong, 4).result, kConvInvalidText);
  EXPECT_EQ(ConvertText("0.5", kSqlBit, 1).result, kConvTruncated);
}

TEST_F(CommaLocaleTest, NumbersAreWrittenWithAPoint) {
  const double value = 1234.5;
  EXPECT_EQ(ConvertInto(&value, kSqlDouble, 8, kSqlChar, 20).Text(), "1234.5");
  const float real = 2.25f;
  EXPECT_EQ(ConvertInto(&real, kSqlReal, 4, kSqlChar, 20).Text(), "2.25");
  EXPECT_EQ(ConvertInto(&value, kSqlDouble, 8, kSqlDecimal, 20, 10, 2).Text(), "1234.5");
}

}  // namespace
