#pragma once
// The one exception type of the program: a failure with a French (or library)
// message that callers may show or log.
#include <QString>

#include <cstring>
#include <stdexcept>

namespace filmarch {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()), text(message) {}
    const QString& message() const { return text; }

private:
    QString text;
};

// A text that does not read as a whole number where one is required.
class ConversionError : public Error {
public:
    using Error::Error;
};

// The reason of an errno value in French: the system's own words (English
// in most locales) only for those a user seldom meets.
QString systemReason(int error);

} // namespace filmarch
