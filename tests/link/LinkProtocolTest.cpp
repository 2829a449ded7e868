#include <gtest/gtest.h>

#include "link/LinkItem.h"
#include "link/LinkProtocol.h"

using namespace tarnvel::link;

TEST(LinkProtocol, ValuesWithLineBreaksTabsAndBackslashesSurviveTheLine) {
    const std::string value = "a\\b\tc\r\nd \\n end\\";
    const std::string escaped = escapeValue(value);
    EXPECT_EQ(escaped.find_first_of("\r\n\t"), std::string::npos);
    EXPECT_EQ(unescapeValue(escaped), value);
    const LinkCommand poke{LinkVerb::Poke, "QSO", "Notes", value};
    std::string error;
    const auto parsed = parseCommand(formatCommand(poke), error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->value, value);
    EXPECT_EQ(parsed->item, "Notes");
    const LinkReply changed{ReplyKind::Changed, "QSO", "Notes", value};
    EXPECT_EQ(parseReply(formatReply(changed))->text, value);
    // A poked value may begin and end with blanks: the value is the rest of the line.
    EXPECT_EQ(parseCommand("POKE QSO Name  Jan ", error)->value, " Jan ");
}

TEST(LinkProtocol, MalformedCommandsAreNamed) {
    std::string error;
    EXPECT_FALSE(parseCommand("FETCH QSO Call", error));
    EXPECT_EQ(error, "unknown command");
    EXPECT_FALSE(parseCommand("REQUEST QSO", error));
    EXPECT_EQ(error, "topic and item expected");
    EXPECT_FALSE(parseCommand("REQUEST QSO Call extra", error));
    EXPECT_FALSE(parseCommand("POKE QSO Name bad\\x", error));
    EXPECT_EQ(error, "bad escape in the value");
    EXPECT_FALSE(parseCommand("POKE QSO Name trailing\\", error));
    EXPECT_FALSE(parseCommand(std::string(kMaxLineLength + 1, 'A'), error));
    EXPECT_EQ(error, "line too long");
    EXPECT_FALSE(parseReply("VALUE QSO"));
    EXPECT_FALSE(parseReply("HELLO"));
}

TEST(LinkProtocol, PokedValuesMustFitALogLine) {
    EXPECT_FALSE(pokedValueProblem("Jan Kowalski, Łódź"));
    EXPECT_TRUE(pokedValueProblem("a;b"));
    EXPECT_TRUE(pokedValueProblem("two\nlines"));
    EXPECT_TRUE(pokedValueProblem("cr\r"));
    EXPECT_TRUE(pokedValueProblem(std::string(kMaxPokedValue + 1, 'x')));
    EXPECT_FALSE(pokedValueProblem(std::string(kMaxPokedValue, 'x')));
}

TEST(LinkItems, TopicsAndTheirItemLists) {
    EXPECT_EQ(topicItemList(LinkTopic::Cat), "Khz\tPtt\tTopicItemList\tFormats");
    EXPECT_EQ(topicList(), "System\tInfo\tQSO\tCAT");
    EXPECT_EQ(findTopic("qso"), LinkTopic::Qso);
    EXPECT_EQ(findItem(LinkTopic::Qso, "RSTRCV"), LinkItem::RstRcv);
    EXPECT_FALSE(findItem(LinkTopic::Cat, "Call"));  // items belong to their topic
    size_t qsoGroup = 0;
    for (const LinkItemInfo& info : linkItems()) {
        EXPECT_EQ(&linkItemInfo(info.item), &info);
        if (info.group == kGroupQso) ++qsoGroup;
    }
    EXPECT_EQ(qsoGroup, 11u);
    // Only the other station's fields may be written from outside.
    for (const LinkItemInfo& info : linkItems()) {
        const bool otherStation = info.topic == LinkTopic::Qso &&
                                  info.item >= LinkItem::Call && info.item <= LinkItem::Notes;
        EXPECT_EQ(info.writable, otherStation) << info.name;
    }
}
