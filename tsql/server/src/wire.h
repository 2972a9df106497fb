#pragma once
//! Bytes as the protocol writes them: little-endian integers (big-endian where the protocol says so),
//! UTF-16LE text, and a bounds-checked reader that refuses to read past what the peer sent.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tsql::server {

using Bytes = std::vector<std::uint8_t>;
__extension__ typedef unsigned __int128 UInt128; //!< the magnitude of a NUMERIC on the wire

//! The peer sent something that breaks the protocol; the connection cannot go on.
class ProtocolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Appends protocol fields to a byte buffer.
class ByteWriter {
public:
    explicit ByteWriter(Bytes& out)
        : out_(out) {}

    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v) { le(v, 2); }
    void u32(std::uint32_t v) { le(v, 4); }
    void u64(std::uint64_t v) { le(v, 8); }
    void u16be(std::uint16_t v) { be(v, 2); }
    void u32be(std::uint32_t v) { be(v, 4); }
    void bytes(const std::uint8_t* data, std::size_t n) { out_.insert(out_.end(), data, data + n); }
    void bytes(const Bytes& b) { bytes(b.data(), b.size()); }
    //! UTF-16LE code units of UTF-8 text; returns the number of units written.
    std::size_t ucs2(std::string_view utf8);
    //! B_VARCHAR: a one-byte count of UTF-16 units, then the units (cut at 255 units).
    void bVarChar(std::string_view utf8);
    //! US_VARCHAR: a two-byte count of UTF-16 units, then the units (cut at 65535 units).
    void usVarChar(std::string_view utf8);
    //! B_VARBYTE: a one-byte length, then the bytes.
    void bVarByte(const Bytes& b);

    std::size_t size() const { return out_.size(); }
    //! Overwrites a two-byte little-endian field written earlier (a length known only afterwards).
    void patchU16(std::size_t at, std::uint16_t v) {
        out_[at] = static_cast<std::uint8_t>(v);
        out_[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }

private:
    // A field is appended at once, not byte by byte.
    void le(std::uint64_t v, int n) {
        const std::size_t at = out_.size();
        out_.resize(at + static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            out_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void be(std::uint64_t v, int n) {
        const std::size_t at = out_.size();
        out_.resize(at + static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            out_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * (n - 1 - i)));
    }
    Bytes& out_;
};

//! Reads protocol fields from a message; every read past the end throws ProtocolError.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size)
        : data_(data)
        , size_(size) {}
    explicit ByteReader(const Bytes& b)
        : ByteReader(b.data(), b.size()) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(le(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(le(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(le(4)); }
    std::uint64_t u64() { return le(8); }
    std::uint16_t u16be() {
        need(2);
        const std::uint16_t v = static_cast<std::uint16_t>((data_[at_] << 8) | data_[at_ + 1]);
        at_ += 2;
        return v;
    }
    //! The next `n` bytes, which stay owned by the message.
    const std::uint8_t* take(std::size_t n) {
        need(n);
        const std::uint8_t* p = data_ + at_;
        at_ += n;
        return p;
    }
    Bytes bytes(std::size_t n) {
        const std::uint8_t* p = take(n);
        return Bytes(p, p + n);
    }
    //! `units` UTF-16LE code units as UTF-8.
    std::string ucs2(std::size_t units);
    std::string bVarChar() { return ucs2(u8()); }
    std::string usVarChar() { return ucs2(u16()); }
    void skip(std::size_t n) { take(n); }
    //! The next byte without reading it.
    std::uint8_t peek() const {
        need(1);
        return data_[at_];
    }

    std::size_t position() const { return at_; }
    std::size_t remaining() const { return size_ - at_; }
    bool atEnd() const { return at_ >= size_; }

private:
    void need(std::size_t n) const {
        if (n > size_ - at_) throw ProtocolError("the message ends before its announced content");
    }
    std::uint64_t le(int n) {
        need(static_cast<std::size_t>(n));
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= std::uint64_t(data_[at_ + static_cast<std::size_t>(i)]) << (8 * i);
        at_ += static_cast<std::size_t>(n);
        return v;
    }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

//! UTF-16LE bytes of UTF-8 text.
Bytes toUtf16Le(std::string_view utf8);
//! UTF-8 text of UTF-16LE bytes (unpaired surrogates become U+FFFD; an odd last byte is dropped).
std::string fromUtf16Le(const std::uint8_t* data, std::size_t bytes);

} // namespace tsql::server
