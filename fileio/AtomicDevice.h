#pragma once

#include "fileio/AtomicWriter.h"

#include <QIODevice>
#include <memory>
#include <string>

// A write-only device over AtomicWriter, for what produces through QIODevice
// (the PDF writer, the report and declaration writers). Opening creates the
// new file beside the target; Commit puts it in place or throws EFileError
// with the Greek reason. A device destroyed without Commit leaves the target
// as it was.
class AtomicDevice : public QIODevice
{
public:
    explicit AtomicDevice(const QString& path);
    ~AtomicDevice() override;

    // False with errorString() set when the new file cannot be made.
    bool open(OpenMode mode) override;
    bool isSequential() const override { return true; }
    // Throws EFileError: the first write error if there was one, else the
    // reason the file could not be put in place.
    void Commit();
    void Cancel();
    void AddPermissions(mode_t bits);

    // The message of the first failure, complete for the person.
    const std::string& Failure() const { return m_failure; }
    QString Path() const { return m_path; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;
    // Records a failure; what follows it writes nothing.
    void SetFailure(const std::string& message);

private:
    QString m_path;
    std::unique_ptr<AtomicWriter> m_writer;
    std::string m_failure;
    mode_t m_extraMode = 0;
};
