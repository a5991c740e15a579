#pragma once

#include <stdexcept>
#include <string>

namespace pc::dati {

// A failure of the hotel data store or of a report step. The message is in
// Italian and names what failed (file, table, field, criterion, date), ready
// to be shown to the user as it is.
class ErroreDati : public std::runtime_error {
public:
    explicit ErroreDati(const std::string &messaggio) : std::runtime_error(messaggio) {}
};

} // namespace pc::dati
