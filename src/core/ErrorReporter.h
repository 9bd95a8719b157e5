#pragma once

#include <QString>

namespace trevisk {

// Where the error reports of the important procedures go: a message box with a display,
// standard error without one, a recorder in tests. Every reporting procedure calls report().
class ErrorReporter
{
public:
    virtual ~ErrorReporter() = default;
    virtual void showReport(const QString& text) = 0;

    void report(const QString& description, qint32 number, const QString& procedure);
};

// Writes each report to standard error; used headless and by command-line commands.
class StderrErrorReporter : public ErrorReporter
{
public:
    void showReport(const QString& text) override;
};

// The numbers the error reports give this program's failures, one per kind.
namespace ErrorNumber {
inline constexpr qint32 FileRead = 53;
inline constexpr qint32 FileWrite = 75;
inline constexpr qint32 BadFormat = 3001;
inline constexpr qint32 TypeMismatch = 13;
inline constexpr qint32 Overflow = 6;
inline constexpr qint32 InvalidData = 5;
} // namespace ErrorNumber

} // namespace trevisk
