// "<FILE>" and "<FILE:name>": what is read, what is refused, and how included files expand.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "macros/MacroExpander.h"
#include "macros/RecordingContext.h"
#include "macros/SendFile.h"
#include "support/WavBytes.h"

namespace tarnvel::macros {
namespace {

using testing::RecordingContext;

// The single-byte behaviour the older tests were written for.
std::string fileText(std::string_view bytes) {
    return sendFileText(bytes, modem::CharacterSet::Latin1);
}

class SendFileTest : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::string expand(std::string_view macro) { return MacroExpander(context_).expand(macro); }

    tarnvel::testing::ScratchFolder folder_;
    RecordingContext context_;
};

TEST_F(SendFileTest, ChosenFileIsSentAsItIsButANamedFileIsExpanded) {
    const std::string file = write("brag.txt", "<MYCALL> here");
    context_.chosenFile = file;
    EXPECT_EQ(expand("[<FILE>][<FILE>]"), "[<MYCALL> here\n][<MYCALL> here\n]");
    EXPECT_EQ(context_.calls, std::vector<std::string>{"choose-file"});  // one dialog for both

    context_.calls.clear();
    EXPECT_EQ(expand("[<FILE:" + file + ">]"), "[N0CALL here\n]");
    EXPECT_TRUE(context_.calls.empty());
}

TEST_F(SendFileTest, AFileThatCannotBeReadWarnsForFileAndIsSilentForFileName) {
    context_.chosenFile = path("missing.txt");
    EXPECT_EQ(expand("a<FILE>b"), "ab");
    EXPECT_EQ(context_.calls,
              (std::vector<std::string>{
                  "choose-file", "warning Cannot open " + path("missing.txt") + "|Warning!"}));
    context_.calls.clear();
    EXPECT_EQ(expand("a<FILE:" + path("missing.txt") + ">b"), "ab");
    EXPECT_TRUE(context_.calls.empty());

    context_.chosenFile.reset();  // the dialog cancelled: no message, nothing inserted
    context_.calls.clear();
    EXPECT_EQ(expand("a<FILE>b"), "ab");
    EXPECT_EQ(context_.calls, std::vector<std::string>{"choose-file"});
}

TEST_F(SendFileTest, OnlyRegularFilesOfAtMost64KiBAreRead) {
    // A device that never ends, a FIFO without a writer and a folder are refused at once.
    for (const std::string& name :
         {std::string("/dev/zero"), path("fifo"), folder_.path().string()}) {
        if (name == path("fifo")) {
            ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
        }
        EXPECT_FALSE(readSendFile(name, modem::CharacterSet::Latin1)) << name;
        context_.calls.clear();
        context_.chosenFile = name;
        EXPECT_EQ(expand("<FILE>|<FILE:" + name + ">"), "|");
        EXPECT_EQ(context_.calls.size(), 2u) << name;  // chosen, then the warning
    }
    const std::string limit(kMaxSendFileBytes, 'x');
    EXPECT_TRUE(readSendFile(write("limit.txt", limit), modem::CharacterSet::Latin1));
    EXPECT_FALSE(readSendFile(write("over.txt", limit + "x"), modem::CharacterSet::Latin1));
}

TEST_F(SendFileTest, LinesEndInOneLineFeedAndLongLinesAreCut) {
    EXPECT_EQ(fileText("a\r\nb\nc"), "a\nb\nc\n");
    EXPECT_EQ(fileText("a\r\r\n"), "a\r\n");  // one CR per line is the line end's
    EXPECT_EQ(fileText(""), "");
    EXPECT_EQ(fileText("\n\n"), "\n\n");
    const std::string longLine(2500, 'q');
    EXPECT_EQ(fileText(longLine), std::string(1000, 'q') + "\n" + std::string(1000, 'q') +
                                          "\n" + std::string(500, 'q') + "\n");
    EXPECT_EQ(fileText(std::string(1000, 'q')), std::string(1000, 'q') + "\n");
}

TEST_F(SendFileTest, FileTextBecomesStationCodesWithHarmlessControlCharacters) {
    EXPECT_EQ(fileText("20\xC2\xB0"
                           "C"),
              "20degC\n");  // UTF-8 degree sign
    EXPECT_EQ(fileText("20\xB0"
                           "C \xAE\xA9"),
              "20degC (R)(C)\n");  // Latin-1 bytes
    EXPECT_EQ(fileText("Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"), "Za?\xF3??\n");
    // A tag in a named file still places its control character.
    context_.fields[MacroField::Qth] = "Oslo";
    const std::string file = write("end.txt", "\xC2\xB0 <QTH><RX>");
    EXPECT_EQ(expand("<FILE:" + file + ">"), "deg Oslo\xAE\r\n\n");
}

TEST_F(SendFileTest, FileTextFollowsTheCharacterSetOnTheAir) {
    const std::string polish = "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 20\xC2\xB0";
    // UTF-8 goes out as it is: the degree sign and the letters are text, not controls.
    EXPECT_EQ(sendFileText(polish, modem::CharacterSet::Utf8), polish + "\n");
    EXPECT_EQ(sendFileText(polish, modem::CharacterSet::Windows1250),
              "Za\xBF\xF3\xB3\xE6 20deg\n");
    // A file in another code page stays as its bytes; standalone control bytes still become
    // harmless, and a lead byte that could take a continuation for its letter becomes "?".
    EXPECT_EQ(sendFileText("\xB3\xF3" "d\xAE \xC5", modem::CharacterSet::Utf8),
              "\xB3\xF3" "d(R) \xC5\n");
    EXPECT_EQ(sendFileText("\xF0\x9F\xAE" "x", modem::CharacterSet::Utf8), "?\x9F(R)x\n");
    context_.charset = modem::CharacterSet::Utf8;
    const std::string file = write("utf8.txt", "\xC5\xAE <RX>");
    EXPECT_EQ(expand("<FILE:" + file + ">"), "\xC5\xAE \xAE\r\n\n");
}

TEST_F(SendFileTest, TheTagEndsAtTheFirstGreaterThanAfterIt) {
    const std::string file = write("x.txt", "X");
    EXPECT_EQ(expand("Hi> <FILE:" + file + "> bye>"), "Hi> X\n bye>");
    // Only the first named file is included; the next goes out as typed.
    EXPECT_EQ(expand("<FILE:" + file + "><FILE:" + file + ">"), "X\n<FILE:" + file + ">");
}

TEST_F(SendFileTest, AFileIncludingItselfIsReadOnce) {
    const std::string self = path("self.txt");
    write("self.txt", "A<FILE:" + self + ">");
    EXPECT_EQ(expand("<FILE:" + self + ">"), "A\n");

    // A cycle through another file, and through another name of the same file.
    write("a.txt", "a<FILE:" + path("b.txt") + ">");
    write("b.txt", "b<FILE:" + folder_.path().string() + "/./a.txt>");
    EXPECT_EQ(expand("<FILE:" + path("a.txt") + ">"), "ab\n\n");
}

TEST_F(SendFileTest, IncludedFilesNestAtMostEightDeep) {
    for (int i = 1; i <= 10; ++i) {
        write("f" + std::to_string(i),
              std::to_string(i % 10) + "<FILE:" + path("f" + std::to_string(i + 1)) + ">");
    }
    EXPECT_EQ(expand("<FILE:" + path("f1") + ">"), "12345678" + std::string(8, '\n'));
    EXPECT_EQ(expand("<FILE:" + path("f3") + ">"), "34567890" + std::string(8, '\n'));
}

TEST_F(SendFileTest, ANameTakenFromAValueIsNeverOpened) {
    const std::string secret = write("id_rsa", "PRIVATE");
    context_.fields[MacroField::Qth] = "<FILE:" + secret + ">";
    context_.fields[MacroField::Name] = "<FILE>";
    EXPECT_EQ(expand("<QTH> <NAME>"), "<FILE:" + secret + "> <FILE>");
    EXPECT_TRUE(context_.calls.empty());
    // Nor one whose tag is completed by a value.
    context_.fields[MacroField::Call] = secret + ">";
    EXPECT_EQ(expand("<FILE:<CALL>"), "<FILE:" + secret + ">");
}

}  // namespace
}  // namespace tarnvel::macros
