#pragma once
//! The product and protocol versions the server announces.

#include <cstdint>

namespace tsql::server {

//! The server version reported in PRELOGIN and LOGINACK (and so by @@VERSION-minded clients): 11.0.
inline constexpr std::uint8_t kProductMajor = 11;
inline constexpr std::uint8_t kProductMinor = 0;
inline constexpr std::uint16_t kProductBuild = 2100;
//! The program name in LOGINACK; clients take it as the kind of server they talk to.
inline constexpr const char* kProductName = "Microsoft SQL Server";

//! Protocol versions as LOGIN7 carries them.
inline constexpr std::uint32_t kTds70 = 0x70000000;
inline constexpr std::uint32_t kTds71 = 0x71000001;
inline constexpr std::uint32_t kTds72 = 0x72090002;
inline constexpr std::uint32_t kTds73A = 0x730A0003;
inline constexpr std::uint32_t kTds73B = 0x730B0003;
inline constexpr std::uint32_t kTds74 = 0x74000004;

//! The protocol features a negotiated version has.
struct Protocol {
    std::uint32_t version = kTds74;
    //! 7.2 and later: ALL_HEADERS in requests, 8-byte DONE counts, 4-byte user types, PLP (MAX) values.
    bool atLeast72() const { return version >= kTds72; }
    //! 7.3 and later: NBCROW.
    bool atLeast73() const { return version >= kTds73A; }
};

//! The version the server speaks with a client asking for `requested`: the same for 7.1 to 7.4, 7.4 for
//! anything newer; 0 for 7.0 and older, which the server does not speak.
std::uint32_t negotiateVersion(std::uint32_t requested);

} // namespace tsql::server
