#pragma once
// The failure classes of the system. Every one carries what failed and, where a
// file is concerned, which file, so that the standard error report can say both.
#include <exception>
#include <string>

class CException : public std::exception
{
public:
    // The message for the user: what failed and the file it concerns.
    virtual std::string GetErrorMessage() const = 0;
    const char* what() const noexcept override;

protected:
    mutable std::string m_strWhat;
};

class CFileException : public CException
{
public:
    enum Cause {
        none,
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    CFileException(Cause cause, long osError, std::string fileName, std::string detail = {});

    // errno -> cause, the way the file layer reports OS failures.
    static Cause CauseFromErrno(int err);
    [[noreturn]] static void ThrowErrno(int err, const std::string& fileName, std::string detail = {});

    std::string GetErrorMessage() const override;
    static const char* CauseText(Cause cause);

    // Which end of a copy failed: extraction tells the archive's damage
    // (skip the entry) from the destination's failure (stop the run).
    enum ESide { unknownSide, archiveSide, destinationSide };

    Cause m_cause;
    long m_lOsError;
    std::string m_strFileName;
    std::string m_strDetail;
    ESide m_side = unknownSide;
};

class CArchiveException : public CException
{
public:
    enum Cause { none, generic, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };

    explicit CArchiveException(Cause cause, std::string fileName = {}, std::string detail = {});

    std::string GetErrorMessage() const override;

    Cause m_cause;
    std::string m_strFileName;
    std::string m_strDetail;
};

class CResourceException : public CException
{
public:
    explicit CResourceException(std::string detail = {});
    std::string GetErrorMessage() const override;

    std::string m_strDetail;
};

// The text of any exception for the standard error report.
std::string DescribeException(const std::exception& e);
