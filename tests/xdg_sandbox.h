// Points every freedesktop folder (home, user data and configuration, the
// system data and configuration folders) into `root` and selects the
// generic desktop, so that a test neither reads nor changes the real user's
// or system's associations. The variables come back when it goes.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>

class XdgSandbox {
public:
    explicit XdgSandbox(const QString &root)
    {
        const QPair<const char *, QString> folders[] = {
            {"HOME", root},
            {"XDG_DATA_HOME", root + QStringLiteral("/data")},
            {"XDG_CONFIG_HOME", root + QStringLiteral("/config")},
            {"XDG_DATA_DIRS", root + QStringLiteral("/system")},
            {"XDG_CONFIG_DIRS", root + QStringLiteral("/system-config")},
        };
        for (const auto &[name, folder] : folders) {
            saved_.append({name, qgetenv(name)});
            qputenv(name, QFile::encodeName(folder));
        }
        saved_.append({"XDG_CURRENT_DESKTOP", qgetenv("XDG_CURRENT_DESKTOP")});
        qputenv("XDG_CURRENT_DESKTOP", "X-Generic");
    }
    ~XdgSandbox()
    {
        for (const auto &[name, value] : saved_)
            qputenv(name, value);
    }
    XdgSandbox(const XdgSandbox &) = delete;
    XdgSandbox &operator=(const XdgSandbox &) = delete;

private:
    QList<QPair<const char *, QByteArray>> saved_;
};
