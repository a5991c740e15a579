#pragma once

#include <mutex>

namespace pc::dati {

// The one way into libmdb. libmdb is not made for threads and prints English
// diagnostics on stderr (and, on some damaged pages, hex dumps on stdout) by
// itself. Every libmdb call is made while a SessioneMdb is alive, and the
// session:
//  - holds a process-wide mutex, so no two threads are ever inside libmdb;
//  - holds the stdio locks of stdout and stderr, so other threads that write
//    there (printf, std::cout/std::cerr, Qt's messages) wait for the session
//    to end and their output is never swallowed;
//  - points descriptors 1 and 2 at /dev/null, so libmdb's own output never
//    reaches the user.
// Everything is restored when the session ends, on every path (exceptions
// included). Sessions nest within one thread; the outermost one does the work.
class SessioneMdb {
public:
    SessioneMdb();
    ~SessioneMdb();
    SessioneMdb(const SessioneMdb &) = delete;
    SessioneMdb &operator=(const SessioneMdb &) = delete;

private:
    std::unique_lock<std::recursive_mutex> m_blocco;
    bool m_esterna = false;      // the outermost session of this thread
    int m_salvati[2] = {-1, -1}; // the real stderr and stdout while redirected
};

} // namespace pc::dati
