#pragma once
// Little-endian access to record payloads. Reads are bounds-checked by the callers
// through Cursor, which throws on any read past its end, so a hostile length can never
// take a read outside the buffer.

#include <QByteArray>
#include <cstdint>
#include <cstring>

namespace xls::bytes {

inline uint16_t u16(const char* p) {
    return uint16_t(uint8_t(p[0]) | (uint8_t(p[1]) << 8));
}
inline uint32_t u32(const char* p) {
    return uint32_t(u16(p)) | (uint32_t(u16(p + 2)) << 16);
}
inline double f64(const char* p) {
    uint64_t v = uint64_t(u32(p)) | (uint64_t(u32(p + 4)) << 32);
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}
inline void put16(char* p, uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
inline void put32(char* p, uint32_t v) {
    put16(p, uint16_t(v & 0xFFFF));
    put16(p + 2, uint16_t(v >> 16));
}
inline void append8(QByteArray& b, uint8_t v) {
    b.append(char(v));
}
inline void append16(QByteArray& b, uint16_t v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
inline void append32(QByteArray& b, uint32_t v) {
    append16(b, uint16_t(v & 0xFFFF));
    append16(b, uint16_t(v >> 16));
}
inline void appendF64(QByteArray& b, double d) {
    uint64_t v;
    std::memcpy(&v, &d, sizeof v);
    append32(b, uint32_t(v & 0xFFFFFFFFu));
    append32(b, uint32_t(v >> 32));
}
// One record: id, length and payload.
inline void appendRecord(QByteArray& out, uint16_t id, const QByteArray& payload) {
    append16(out, id);
    append16(out, uint16_t(payload.size()));
    out.append(payload);
}

} // namespace xls::bytes
