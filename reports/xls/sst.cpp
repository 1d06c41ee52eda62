// The shared string table: read across CONTINUE records, written back with the splitting
// rules readers rely on (a string's fixed fields and first character together, characters
// split only between characters, a flags byte leading each continued run of characters).

#include "reports/xls/workbook_p.h"

#include <algorithm>

namespace xls {

using namespace bytes;

namespace {

class SegmentReader {
public:
    explicit SegmentReader(const std::vector<QByteArray>& segments) : segs_(segments) {}

    bool atEnd() {
        while (seg_ < segs_.size() && off_ >= segs_[seg_].size()) {
            ++seg_;
            off_ = 0;
        }
        return seg_ >= segs_.size();
    }
    // Bytes that may run on into the next record without a flags byte.
    QByteArray take(qsizetype n) {
        QByteArray out;
        while (n > 0) {
            if (atEnd())
                corrupt(QStringLiteral("共享字符串表被截断"));
            const qsizetype k = std::min(n, segs_[seg_].size() - off_);
            out.append(segs_[seg_].constData() + off_, k);
            off_ += k;
            n -= k;
        }
        return out;
    }
    uint8_t u8() { return uint8_t(take(1)[0]); }
    uint16_t u16v() { return bytes::u16(take(2).constData()); }
    uint32_t u32v() { return bytes::u32(take(4).constData()); }

    QString chars(int cch, bool wide) {
        QString text;
        text.reserve(cch);
        while (cch > 0) {
            if (seg_ >= segs_.size() || off_ >= segs_[seg_].size()) {
                // Characters going on in the next record start with a flags byte.
                ++seg_;
                off_ = 0;
                if (seg_ >= segs_.size() || segs_[seg_].isEmpty())
                    corrupt(QStringLiteral("共享字符串表被截断"));
                wide = uint8_t(segs_[seg_][0]) & 0x01;
                off_ = 1;
            }
            const QByteArray& s = segs_[seg_];
            const qsizetype avail = (s.size() - off_) / (wide ? 2 : 1);
            if (avail == 0) {
                if (s.size() - off_ > 0)
                    corrupt(QStringLiteral("共享字符串表中的字符被截断"));
                continue;
            }
            const int n = int(std::min<qsizetype>(avail, cch));
            text += readUnicode(s.constData() + off_, s.size() - off_, n, wide);
            off_ += n * (wide ? 2 : 1);
            cch -= n;
        }
        return text;
    }

private:
    const std::vector<QByteArray>& segs_;
    size_t seg_ = 0;
    qsizetype off_ = 0;
};

class RecordWriter {
public:
    RecordWriter(QByteArray& out, uint16_t id) : out_(out) { begin(id); }
    void begin(uint16_t id) {
        start_ = out_.size();
        append16(out_, id);
        append16(out_, 0);
        used_ = 0;
    }
    void finish() { put16(out_.data() + start_ + 2, uint16_t(used_)); }
    void next() {
        finish();
        begin(id::CONTINUE);
    }
    int room() const { return maxRecordPayload - used_; }
    void put(const char* p, int n) {
        out_.append(p, n);
        used_ += n;
    }
    void put8(uint8_t v) {
        out_.append(char(v));
        used_ += 1;
    }
    void putChars(const char16_t* u, int n, bool wide) {
        const qsizetype at = out_.size();
        out_.resize(at + qsizetype(n) * (wide ? 2 : 1));
        char* p = out_.data() + at;
        for (int k = 0; k < n; ++k) {
            if (wide) {
                put16(p, uint16_t(u[k]));
                p += 2;
            } else {
                *p++ = char(uint8_t(u[k]));
            }
        }
        used_ += n * (wide ? 2 : 1);
    }
    void put16v(uint16_t v) {
        append16(out_, v);
        used_ += 2;
    }
    void put32v(uint32_t v) {
        append32(out_, v);
        used_ += 4;
    }
    qsizetype position() const { return out_.size(); }
    qsizetype offsetInRecord() const { return out_.size() - start_; }

private:
    QByteArray& out_;
    qsizetype start_ = 0;
    int used_ = 0;
};

bool needsWide(const QString& s) {
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return true;
    return false;
}

} // namespace

void Sst::parse(const std::vector<QByteArray>& segments) {
    if (segments.empty() || segments[0].size() < 8)
        corrupt(QStringLiteral("共享字符串表太短"));
    total = u32(segments[0].constData());
    std::vector<QByteArray> rest = segments;
    rest[0] = rest[0].mid(8);
    SegmentReader r(rest);
    while (!r.atEnd()) {
        SstString s;
        const int cch = r.u16v();
        const uint8_t flags = r.u8();
        uint32_t extSize = 0;
        if (flags & 0x08)
            s.runCount = r.u16v();
        if (flags & 0x04)
            extSize = r.u32v();
        s.text = r.chars(cch, flags & 0x01);
        if (s.runCount)
            s.runs = r.take(qsizetype(s.runCount) * 4);
        if (extSize)
            s.ext = r.take(qsizetype(extSize));
        if (!s.runCount && s.ext.isEmpty() && !plainIndex.contains(s.text))
            plainIndex.insert(s.text, uint32_t(strings.size()));
        strings.push_back(std::move(s));
    }
}

uint32_t Sst::add(const QString& text) {
    auto it = plainIndex.constFind(text);
    if (it != plainIndex.constEnd())
        return it.value();
    const auto index = uint32_t(strings.size());
    SstString s;
    s.text = text;
    strings.push_back(std::move(s));
    plainIndex.insert(text, index);
    return index;
}

void Sst::write(QByteArray& out, uint32_t totalRefs) const {
    const auto unique = uint32_t(strings.size());
    const uint32_t perBucket = std::max<uint32_t>(unique / 128 + 1, 8);
    std::vector<std::pair<uint32_t, uint16_t>> buckets;

    RecordWriter w(out, id::SST);
    w.put32v(totalRefs);
    w.put32v(unique);
    for (uint32_t i = 0; i < unique; ++i) {
        const SstString& s = strings[i];
        const bool wide = needsWide(s.text);
        const int unit = wide ? 2 : 1;
        const int cch = int(s.text.size());
        int fixed = 3 + (s.runCount ? 2 : 0) + (s.ext.isEmpty() ? 0 : 4);
        int firstChar = cch == 0 ? 0 : unit;
        if (wide && cch > 1 && s.text[0].isHighSurrogate())
            firstChar = 4;
        if (w.room() < fixed + firstChar)
            w.next();
        if (i % perBucket == 0)
            buckets.emplace_back(uint32_t(w.position()), uint16_t(w.offsetInRecord()));
        w.put16v(uint16_t(cch));
        w.put8(uint8_t((wide ? 0x01 : 0) | (s.runCount ? 0x08 : 0) | (s.ext.isEmpty() ? 0 : 0x04)));
        if (s.runCount)
            w.put16v(s.runCount);
        if (!s.ext.isEmpty())
            w.put32v(uint32_t(s.ext.size()));
        const char16_t* u = reinterpret_cast<const char16_t*>(s.text.utf16());
        int done = 0;
        while (done < cch) {
            if (w.room() < unit ||
                (wide && w.room() < 4 && QChar(u[done]).isHighSurrogate() && done + 1 < cch)) {
                w.next();
                w.put8(wide ? 0x01 : 0x00);
            }
            int n = std::min(cch - done, w.room() / unit);
            if (wide && done + n < cch && QChar(u[done + n - 1]).isHighSurrogate())
                --n;
            w.putChars(u + done, n, wide);
            done += n;
        }
        for (qsizetype k = 0; k + 4 <= s.runs.size(); k += 4) {
            if (w.room() < 4)
                w.next();
            w.put(s.runs.constData() + k, 4);
        }
        qsizetype e = 0;
        while (e < s.ext.size()) {
            if (w.room() == 0)
                w.next();
            const int n = int(std::min<qsizetype>(w.room(), s.ext.size() - e));
            w.put(s.ext.constData() + e, n);
            e += n;
        }
    }
    w.finish();

    QByteArray ext;
    append16(ext, uint16_t(perBucket));
    for (const auto& [pos, off] : buckets) {
        append32(ext, pos);
        append16(ext, off);
        append16(ext, 0);
    }
    appendRecord(out, id::EXTSST, ext);
}

} // namespace xls
