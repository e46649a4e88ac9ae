#include "chive/chive_errors.h"

#include <exception>
#include <system_error>
#include <utility>

namespace pw {

namespace {

std::string describe(const std::string& source, const std::string& description) {
    if (description.empty()) {
        return source;
    }
    return source + ": " + description;
}

// The exception being handled, as a record; nothing outside a catch block.
std::optional<ErrorRecord> pendingError() {
    std::exception_ptr current = std::current_exception();
    if (!current) {
        return std::nullopt;
    }
    try {
        std::rethrow_exception(current);
    } catch (const HiveError& e) {
        return ErrorRecord{e.number(), e.source(), e.description(), {}, {}};
    } catch (const std::system_error& e) {
        return ErrorRecord{e.code().value(), e.code().category().name(), e.what(), {}, {}};
    } catch (const std::exception& e) {
        return ErrorRecord{kUnnumberedError, {}, e.what(), {}, {}};
    } catch (...) {
        return ErrorRecord{kUnnumberedError, {}, {}, {}, {}};
    }
}

} // namespace

HiveError::HiveError(std::int32_t number, std::string source, std::string description)
    : std::runtime_error(describe(source, description)), m_number(number),
      m_source(std::move(source)), m_description(std::move(description)) {}

bool CErrorCollection::IsError() {
    std::optional<ErrorRecord> pending = pendingError();
    if (!pending) {
        return false;
    }
    m_records.push_back(std::move(*pending));
    return true;
}

void CErrorCollection::Add(std::optional<std::int32_t> number, std::optional<std::string> source,
                           std::optional<std::string> description,
                           std::optional<std::string> helpContext,
                           std::optional<std::string> helpFile) {
    ErrorRecord record;
    if (number) {
        record.number = *number;
    } else if (std::optional<ErrorRecord> pending = pendingError()) {
        record = std::move(*pending);
    }
    if (source) {
        record.source = std::move(*source);
    }
    if (description) {
        record.description = std::move(*description);
    }
    if (helpContext) {
        record.helpContext = std::move(*helpContext);
    }
    if (helpFile) {
        record.helpFile = std::move(*helpFile);
    }
    m_records.push_back(std::move(record));
}

void CErrorCollection::Remove(std::optional<std::int32_t> index) {
    if (m_records.empty()) {
        return;
    }
    const std::int32_t at = index.value_or(Count() - 1);
    if (at < 0 || at >= Count()) {
        return;
    }
    m_records.erase(m_records.begin() + at);
}

const ErrorRecord* CErrorCollection::recordAt(std::optional<std::int32_t> index) const {
    if (m_records.empty()) {
        return nullptr;
    }
    const std::int32_t at = index.value_or(Count() - 1);
    if (at < 0 || at >= Count()) {
        return nullptr;
    }
    return &m_records[static_cast<std::size_t>(at)];
}

std::int32_t CErrorCollection::ErrNumber(std::optional<std::int32_t> index) const {
    const ErrorRecord* record = recordAt(index);
    return record ? record->number : 0;
}

std::string CErrorCollection::Source(std::optional<std::int32_t> index) const {
    const ErrorRecord* record = recordAt(index);
    return record ? record->source : std::string();
}

std::string CErrorCollection::Description(std::optional<std::int32_t> index) const {
    const ErrorRecord* record = recordAt(index);
    return record ? record->description : std::string();
}

std::string CErrorCollection::HelpContext(std::optional<std::int32_t> index) const {
    const ErrorRecord* record = recordAt(index);
    return record ? record->helpContext : std::string();
}

std::string CErrorCollection::HelpFile(std::optional<std::int32_t> index) const {
    const ErrorRecord* record = recordAt(index);
    return record ? record->helpFile : std::string();
}

} // namespace pw
