#pragma once
// The topics and items the data link publishes, in one table: the topic each item lives in,
// its name on the link, the announce group it belongs to and whether a client may write it.
//
// Only the other station's fields of the QSO in progress are writable: a logging program fills
// in name and QTH, but nothing from outside keys the transmitter, retunes the radio or changes
// the operator's own data.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarnvel::link {

enum class LinkTopic { System, Info, Qso, Cat };

enum class LinkItem {
    MyCall,
    MyName,
    MyQth,
    Program,
    Version,
    Date,
    Time,
    Mhz,
    Mode,
    Call,
    Name,
    Qth,
    RstRcv,
    RstSnt,
    Notes,
    Changed,
    Command,
    Khz,
    Ptt,
};
inline constexpr size_t kLinkItemCount = 19;

// Bits of announceGroups' mask.
enum LinkGroup : unsigned {
    kGroupStation = 1,  // "MyCall", "MyName", "MyQth"
    kGroupProgram = 2,  // "Program", "Version"
    kGroupQso = 4,      // the eleven "QSO" items from "Date" to "Changed"
    kGroupKhz = 8,
    kGroupPtt = 16,
    kGroupAll = ~0u,
};

struct LinkItemInfo {
    LinkItem item;
    LinkTopic topic;
    std::string_view name;
    unsigned group;  // 0: announced only on its own ("Command", forced)
    bool writable;
};

inline constexpr std::string_view kServiceName = "Tarnvel";
inline constexpr std::string_view kProgramName = "Tarnvel";
inline constexpr std::string_view kLinkVersion = "2.0";
// The one format items are served in.
inline constexpr std::string_view kTextFormat = "TEXT";
inline constexpr std::string_view kTopicItemList = "TopicItemList";
inline constexpr std::string_view kFormats = "Formats";

std::span<const LinkItemInfo> linkItems();
const LinkItemInfo& linkItemInfo(LinkItem item);
std::string_view topicName(LinkTopic topic);
// Names compare case-insensitively, as DDE names do.
std::optional<LinkTopic> findTopic(std::string_view name);
std::optional<LinkItem> findItem(LinkTopic topic, std::string_view name);

// The tab-separated lists of the "System" topic and of every topic's "TopicItemList".
std::string topicList();
std::string topicItemList(LinkTopic topic);
std::string systemItemList();

}  // namespace tarnvel::link
