#include "logbook/AdifReader.h"

#include "logbook/BandTable.h"
#include "logbook/FrequencyText.h"
#include "logbook/LogLine.h"

namespace tarnvel::logbook {

namespace {

constexpr size_t kMaxFieldLength = 1'000'000'000;

struct Tag {
    std::string name;  // upper case
    std::optional<size_t> length;
    size_t end = 0;  // just after ">"
};

bool isNameChar(char c) {
    return c != ':' && c != '>' && c != '<' && c != ' ' && c != '\r' && c != '\n' && c != '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The tag starting at the "<" at `at`, or nothing when the text there is not a tag.
std::optional<Tag> readTag(std::string_view text, size_t at) {
    size_t p = at + 1;
    while (p < text.size() && isNameChar(text[p])) ++p;
    if (p == at + 1 || p >= text.size()) return std::nullopt;
    Tag tag{toUpperAscii(text.substr(at + 1, p - at - 1)), std::nullopt, 0};
    if (text[p] == ':') {
        const size_t digits = ++p;
        while (p < text.size() && isDigit(text[p])) ++p;
        const auto length = parseDigits(text.substr(digits, p - digits), kMaxFieldLength);
        if (!length) return std::nullopt;
        tag.length = static_cast<size_t>(*length);
        if (p < text.size() && text[p] == ':')  // the data type, not needed here
            while (p < text.size() && text[p] != '>' && text[p] != '<') ++p;
    }
    if (p >= text.size() || text[p] != '>') return std::nullopt;
    tag.end = p + 1;
    return tag;
}

size_t findNoCase(std::string_view text, std::string_view upperNeedle) {
    return toUpperAscii(text).find(upperNeedle);
}

// Where the records begin: after the header's "<EOH>" when the file has a header.
size_t skipHeader(std::string_view text) {
    if (text.empty() || text[0] == '<') return 0;
    size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string_view::npos) {
        const auto tag = readTag(text, pos);
        if (!tag) {
            ++pos;
            continue;
        }
        if (tag->name == "EOH") return tag->end;
        pos = tag->length ? std::min(text.size(), tag->end + *tag->length) : tag->end;
    }
    return 0;  // no "<EOH>": the text is read as records from the start
}

class RecordSplitter {
  public:
    explicit RecordSplitter(std::string_view text)
        : text_(text), pos_(skipHeader(text)), recordStart_(pos_) {}

    std::vector<AdifRecord> run() {
        while ((pos_ = text_.find('<', pos_)) != std::string_view::npos) {
            const auto tag = readTag(text_, pos_);
            if (!tag)
                ++pos_;
            else if (tag->name == "EOR")
                finishRecord(tag->end);
            else if (tag->name == "EOH")
                startOver(tag->end);
            else if (!tag->length)
                pos_ = tag->end;
            else if (!takeValue(*tag))
                break;
        }
        if (!current_.fields.empty() || !current_.problem.empty()) {
            // A last record without "<EOR>" is still a record.
            current_.raw = rawText(text_.size());
            records_.push_back(std::move(current_));
        }
        return std::move(records_);
    }

  private:
    // The record's text from its first field on (the line break after the last record's end
    // belongs to no record).
    std::string rawText(size_t end) const {
        size_t from = recordStart_;
        while (from < end && (text_[from] == '\r' || text_[from] == '\n' || text_[from] == ' ' ||
                              text_[from] == '\t'))
            ++from;
        return std::string(text_.substr(from, end - from));
    }

    void finishRecord(size_t end) {
        current_.raw = rawText(end);
        if (!current_.fields.empty() || !current_.problem.empty())
            records_.push_back(std::move(current_));
        current_ = {};
        recordStart_ = pos_ = end;
    }

    void startOver(size_t end) {
        current_ = {};
        recordStart_ = pos_ = end;
    }

    // False when the value runs past the end of the text (the record is kept as a fault).
    bool takeValue(const Tag& tag) {
        const size_t length = *tag.length;
        if (length > text_.size() - tag.end) {
            current_.problem = "field " + tag.name + " runs past the end of the file";
            pos_ = text_.size();
            return false;
        }
        const std::string_view value = text_.substr(tag.end, length);
        const size_t eor = findNoCase(value, "<EOR>");
        if (eor != std::string::npos && !tagStartsAt(tag.end + length)) {
            // The declared length swallows the record's end and ends where no tag begins: the
            // length is wrong, and taking the value would take the next record with it. (A
            // comment that really holds "<EOR>" is followed by the next field's tag.)
            current_.problem = "field " + tag.name + " runs past the end of the record";
            pos_ = tag.end + eor;
            finishRecord(pos_ + 5);
            return true;
        }
        current_.fields.push_back({tag.name, std::string(value)});
        pos_ = tag.end + length;
        return true;
    }

    bool tagStartsAt(size_t at) const {
        return at < text_.size() && text_[at] == '<' && readTag(text_, at).has_value();
    }

    std::string_view text_;
    size_t pos_;
    size_t recordStart_;
    AdifRecord current_;
    std::vector<AdifRecord> records_;
};

std::string_view trimmed(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string valueOf(const AdifRecord& adif, std::string_view name) {
    const std::string* value = adif.field(name);
    return value ? *value : std::string();
}

std::optional<UtcSeconds> readStart(const AdifRecord& adif, std::string& problem) {
    const std::string date(trimmed(valueOf(adif, "QSO_DATE")));
    std::string time(trimmed(valueOf(adif, "TIME_ON")));
    if (time.size() == 4) time += "00";
    if (date.size() != 8 || !parseDigits(date, 99999999)) {
        problem = "QSO_DATE \"" + date + "\" is not a date YYYYMMDD";
        return std::nullopt;
    }
    if (time.size() != 6 || !parseDigits(time, 999999)) {
        problem = "TIME_ON \"" + valueOf(adif, "TIME_ON") + "\" is not a time HHMM or HHMMSS";
        return std::nullopt;
    }
    const auto start = parseStart(date + time);
    if (!start) problem = "QSO_DATE " + date + " TIME_ON " + time + " is not a valid moment";
    return start;
}

std::optional<Hertz> readFrequency(const AdifRecord& adif) {
    if (const auto frequency = parseMegahertz(valueOf(adif, "FREQ"))) return frequency;
    const Band* band = bandNamed(valueOf(adif, "BAND"));
    if (band && band->importFrequency != 0) return band->importFrequency;
    return std::nullopt;
}

}  // namespace

const std::string* AdifRecord::field(std::string_view name) const {
    const std::string upper = toUpperAscii(name);
    for (const AdifField& f : fields)
        if (f.name == upper) return &f.value;
    return nullptr;
}

std::vector<AdifRecord> readAdifRecords(std::string_view text) {
    return RecordSplitter(text).run();
}

AdifQso parseAdifRecord(const AdifRecord& adif) {
    AdifQso result;
    if (!adif.problem.empty()) {
        result.problem = adif.problem;
        return result;
    }
    const std::string call = toUpperAscii(trimmed(valueOf(adif, "CALL")));
    if (call.empty()) {
        result.problem = "no CALL";
        return result;
    }
    const auto start = readStart(adif, result.problem);
    if (!start) return result;
    const auto frequency = readFrequency(adif);
    if (!frequency) {
        result.problem = "neither a FREQ nor a known BAND";
        return result;
    }
    QsoRecord r;
    r.call = call;
    r.start = r.end = *start;
    r.frequency1 = r.frequency2 = *frequency;
    r.rstSent = valueOf(adif, "RST_SENT");
    r.rstReceived = valueOf(adif, "RST_RCVD");
    r.name = valueOf(adif, "NAME");
    r.qth = valueOf(adif, "QTH");
    r.notes = valueOf(adif, "COMMENT");
    r.mode = valueOf(adif, "MODE");
    result.record = std::move(r);
    return result;
}

}  // namespace tarnvel::logbook
