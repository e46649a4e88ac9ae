#pragma once
// Errors of the keyed collection CHive: the exception it raises when RaiseError is true, and
// the list it records into when RaiseError is false.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pw {

// The number, source and description of one collection error. what() reads
// "<source>: <description>" so that an uncaught one still says where it came from.
class HiveError : public std::runtime_error {
public:
    HiveError(std::int32_t number, std::string source, std::string description);

    std::int32_t number() const { return m_number; }
    const std::string& source() const { return m_source; }
    const std::string& description() const { return m_description; }

private:
    std::int32_t m_number;
    std::string m_source;
    std::string m_description;
};

// Number recorded for a pending exception that carries no number of its own, so that such a
// record is never mistaken for "no error" (0).
inline constexpr std::int32_t kUnnumberedError = -1;

struct ErrorRecord {
    std::int32_t number = 0;
    std::string source;
    std::string description;
    std::string helpContext;
    std::string helpFile;
};

// An ordered list of error records. The "pending" error is the exception currently being
// handled (std::current_exception()): IsError() and Add() without a number are meant to be
// called from inside a catch block. Single-threaded, like the collection that owns it.
class CErrorCollection {
public:
    void Clear() { m_records.clear(); }

    // Inside a catch block: records the exception being handled and answers true.
    // Anywhere else: records nothing and answers false.
    bool IsError();

    // Appends a record. Without a number the pending exception supplies every field that is
    // not given; without a number and outside a catch block the record has number 0.
    void Add(std::optional<std::int32_t> number = std::nullopt,
             std::optional<std::string> source = std::nullopt,
             std::optional<std::string> description = std::nullopt,
             std::optional<std::string> helpContext = std::nullopt,
             std::optional<std::string> helpFile = std::nullopt);

    // Removes the record at a 0-based index, or the last one without an index; the records
    // after it move down. An index outside the list does nothing.
    void Remove(std::optional<std::int32_t> index = std::nullopt);

    // Fields of the record at a 0-based index, or of the last record without one. An index
    // outside the list (or an empty list) reads 0 or empty text.
    std::int32_t ErrNumber(std::optional<std::int32_t> index = std::nullopt) const;
    std::string Source(std::optional<std::int32_t> index = std::nullopt) const;
    std::string Description(std::optional<std::int32_t> index = std::nullopt) const;
    std::string HelpContext(std::optional<std::int32_t> index = std::nullopt) const;
    std::string HelpFile(std::optional<std::int32_t> index = std::nullopt) const;

    std::int32_t Count() const { return static_cast<std::int32_t>(m_records.size()); }

private:
    const ErrorRecord* recordAt(std::optional<std::int32_t> index) const;

    std::vector<ErrorRecord> m_records;
};

} // namespace pw
