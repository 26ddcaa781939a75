// The mixer component's failures: a backend's result code and its text.
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace ov {

class EMixerError : public std::exception {
public:
    explicit EMixerError(int code);
    const QString &Message() const { return message_; }
    int Code() const { return code_; }
    const char *what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
    int code_;
};

QString MixerErrorText(int code);

// True when the backend's call succeeded; a failure raises EMixerError when
// `raise` asks for it, else gives false.
bool MixerCheck(int result, bool raise);

} // namespace ov
