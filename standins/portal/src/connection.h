#pragma once
//! The socket of an accepted connection, for faults acting below HTTP (reset, no answer).

#include <chrono>

namespace standins::portal {

//! The open socket of this process connected from `remotePort` to `localPort` on loopback, or -1.
int findConnection(int remotePort, int localPort);

//! Makes the next close of the socket a reset instead of an orderly shutdown.
void resetOnClose(int socket);

//! True when the peer has closed its side within `wait`.
bool peerClosed(int socket, std::chrono::milliseconds wait);

} // namespace standins::portal
