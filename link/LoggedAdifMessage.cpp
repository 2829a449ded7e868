#include "link/LoggedAdifMessage.h"

#include "logbook/AdifWriter.h"

namespace tarnvel::link {
namespace {

void putU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void putBytes(std::vector<uint8_t>& out, std::string_view text) {
    putU32(out, static_cast<uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

struct Reader {
    const std::vector<uint8_t>& bytes;
    size_t at = 0;

    std::optional<uint32_t> u32() {
        if (bytes.size() - at < 4) return std::nullopt;
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = value << 8 | bytes[at++];
        return value;
    }
    std::optional<std::string> text() {
        const std::optional<uint32_t> size = u32();
        if (!size) return std::nullopt;
        if (*size == 0xffffffffu) return std::string();  // a null string
        if (bytes.size() - at < *size) return std::nullopt;
        std::string value(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                          bytes.begin() + static_cast<std::ptrdiff_t>(at + *size));
        at += *size;
        return value;
    }
};

}  // namespace

std::vector<uint8_t> encodeLoggedAdif(const LoggedAdif& message) {
    std::vector<uint8_t> out;
    putU32(out, kWsjtxMagic);
    putU32(out, kWsjtxSchema);
    putU32(out, kLoggedAdifType);
    putBytes(out, message.id);
    putBytes(out, message.adif);
    return out;
}

std::optional<LoggedAdif> decodeLoggedAdif(const std::vector<uint8_t>& bytes) {
    Reader reader{bytes};
    const std::optional<uint32_t> magic = reader.u32();
    const std::optional<uint32_t> schema = reader.u32();
    const std::optional<uint32_t> type = reader.u32();
    if (magic != kWsjtxMagic || !schema || type != kLoggedAdifType) return std::nullopt;
    std::optional<std::string> id = reader.text();
    std::optional<std::string> adif = id ? reader.text() : std::nullopt;
    if (!adif || reader.at != bytes.size()) return std::nullopt;
    return LoggedAdif{std::move(*id), std::move(*adif)};
}

std::string loggedQsoAdif(const logbook::QsoRecord& record, std::string_view myCall) {
    std::string adif = "<ADIF_VER:5>3.1.0\n<PROGRAMID:7>Tarnvel\n<EOH>\n";
    std::string body = logbook::formatAdifRecord(record);
    // The operator's call goes in before the record's end.
    const size_t end = body.rfind("<EOR>");
    if (!myCall.empty() && end != std::string::npos)
        body.insert(end, logbook::adifField("STATION_CALLSIGN", myCall));
    return adif + body;
}

}  // namespace tarnvel::link
