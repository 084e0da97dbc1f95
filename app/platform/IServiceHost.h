#pragma once

#include <QString>
#include <QStringList>

/// What the operating system offers for running the forecast service the program ships with.
class IServiceHost {
public:
    virtual ~IServiceHost() = default;
    /// Something accepts connections at host:port.
    virtual bool Answers(const QString &host, int port) = 0;
    /// `path` names a program that can be run.
    virtual bool IsProgram(const QString &path) = 0;
    /// Runs `program` and waits until it answers at host:port; false when it ended or never answered.
    virtual bool Start(const QString &program, const QStringList &arguments, const QString &host, int port) = 0;
    /// Ends the program Start ran, if it still runs.
    virtual void Stop() = 0;
};
