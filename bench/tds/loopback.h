#pragma once
//! The bare cost of a round trip on the loopback interface: a client thread sends a request of a few
//! dozen bytes, a server thread answers with as many, both sockets with TCP_NODELAY, no protocol and
//! no work. What the kernel alone takes of a statement's round trip.

namespace bench {

struct LoopbackCost {
    double wallMicroseconds = 0;   //!< per round trip
    double clientMicroseconds = 0; //!< processor time of the client thread per round trip
    double serverMicroseconds = 0; //!< processor time of the server thread per round trip
};

//! Runs `count` round trips of `requestBytes` out and `replyBytes` back on 127.0.0.1.
LoopbackCost measureLoopback(int count, int requestBytes, int replyBytes);

} // namespace bench
