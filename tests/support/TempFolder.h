#pragma once
// A temporary folder for one test, removed with its contents afterwards.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace testsupport {

class TempFolder {
public:
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(file(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }

    QByteArray read(const QString& name) const
    {
        QFile f(name.startsWith('/') ? name : file(name));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private:
    QTemporaryDir dir_;
};

}  // namespace testsupport
