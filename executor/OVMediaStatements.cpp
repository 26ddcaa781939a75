#include "executor/OVMediaStatements.h"

#include "devices/OVMediaState.h"
#include "executor/OVRunCommands.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "language/OVHeader.h"


namespace ov {

namespace {

// ---------------------------------------------------------------- media player

// The flag is set only once the file has opened; a file the player rejects
// leaves it closed (a rejected source would still report "playing").
void ExecMediaPlayerOpen()
{
    QString path;
    if (!PopPathArgument(stMEDIAPLAYER, path))
        return;
    if (!IsExistingFile(path)) {
        SetError(54095);
        return;
    }
    bool opened = false;
    Synchronised([&] {
        if (MediaFileOpen != 0)
            Host().CloseMediaPlayer();
        MediaFileOpen = 0;
        opened = Host().OpenMedia(path);
        if (opened)
            MediaFileOpen = 1;
        else
            Host().CloseMediaPlayer();
    });
    if (!opened)
        SetError(55002);
}

void ExecMediaPlayerClose()
{
    Synchronised([] {
        if (MediaFileOpen != 0)
            Host().CloseMediaPlayer();
        MediaFileOpen = 0;
    });
}

// Without an open file the commands do nothing and report nothing. A
// player that cannot play is closed, as one that cannot open the file.
void ExecMediaCommand(MediaCommand command)
{
    bool done = true;
    Synchronised([command, &done] {
        if (MediaFileOpen == 0 || Host().ControlMedia(command))
            return;
        done = false;
        Host().CloseMediaPlayer();
        MediaFileOpen = 0;
    });
    if (!done)
        SetError(55002);
}

QString MediaModeText()
{
    if (MediaFileOpen == 0)
        return QStringLiteral("Not Open");
    switch (Host().MediaPlayerState()) {
    case MediaState::Stopped: return QStringLiteral("Stopped");
    case MediaState::Playing: return QStringLiteral("Playing");
    case MediaState::Paused: return QStringLiteral("Paused");
    default: return QStringLiteral("Unsuport Mode");
    }
}

void FnMediaPlayerMode()
{
    QString mode;
    Synchronised([&mode] { mode = MediaModeText(); });
    PushString(std::move(mode));
}

// ---------------------------------------------------------------- clipboard

// The empty text empties the clipboard.
void ExecClipboardSetText()
{
    if (TopTag() != tagString) {
        SetError(50022, stCLIPBOARD);
        return;
    }
    const QString text = PopString();
    bool taken = false;
    Synchronised([&] { taken = Host().SetClipboardText(text); });
    if (!taken)
        SetError(55003);
}

void FnClipboardGetText()
{
    QString text;
    Synchronised([&text] { text = Host().ClipboardText(); });
    PushString(std::move(text));
}

// ---------------------------------------------------------------- speaker line

void ExecAudioMixerMasterVolume()
{
    if (TopTag() != tagNumber) {
        SetError(50022, stAUDIOMIXER);
        return;
    }
    const long double v = PopNumber();
    const int percent = v > 100 ? 100 : v < 0 ? 0 : int(v);
    Synchronised([percent] { Host().SetMasterVolume(percent); });
}

void ExecAudioMixerMasterMute()
{
    if (TopTag() != tagBool) {
        SetError(50022, stAUDIOMIXER);
        return;
    }
    const bool muted = PopBool();
    Synchronised([muted] { Host().SetMasterMute(muted); });
}

void FnAudioMixerMasterVolume()
{
    int volume = -1;
    Synchronised([&volume] { volume = Host().MasterVolume(); });
    PushNumber(volume);
}

void FnAudioMixerMasterMute()
{
    bool muted = false;
    Synchronised([&muted] { muted = Host().MasterMute(); });
    PushBool(muted);
}

} // namespace

bool DispatchMediaStatement(int32_t s)
{
    switch (s) {
    case isMediaPlayerOpen: ExecMediaPlayerOpen(); return true;
    case isMediaPlayerClose: ExecMediaPlayerClose(); return true;
    case isMediaPlayerPlay: ExecMediaCommand(MediaCommand::Play); return true;
    case isMediaPlayerPause: ExecMediaCommand(MediaCommand::Pause); return true;
    case isMediaPlayerStop: ExecMediaCommand(MediaCommand::Stop); return true;
    case isClipboardClear: Synchronised([] { Host().ClearClipboard(); }); return true;
    case isClipboardSetText: ExecClipboardSetText(); return true;
    case isMixerMasterVolume: ExecAudioMixerMasterVolume(); return true;
    case isMixerMasterMute: ExecAudioMixerMasterMute(); return true;
    default: return false;
    }
}

bool DispatchMediaFunction(int32_t f)
{
    switch (f) {
    case SettingReadBase + isMediaPlayerMode: FnMediaPlayerMode(); return true;
    case fnClipboardGetText: FnClipboardGetText(); return true;
    case SettingReadBase + isMixerMasterVolume: FnAudioMixerMasterVolume(); return true;
    case SettingReadBase + isMixerMasterMute: FnAudioMixerMasterMute(); return true;
    default: return false;
    }
}

} // namespace ov
