#pragma once

// Application-command values (command number with its source bits) as the screens' tables use them.
namespace appcommand {
constexpr int VolumeMute = 0x0008;
constexpr int VolumeDown = 0x0009;
constexpr int VolumeUp = 0x000A;
constexpr int NextTrack = 0x000B;
constexpr int PreviousTrack = 0x000C;
constexpr int Stop = 0x000D;
// The single play/pause button of keyboards, air mice and remotes: plays when stopped or paused,
// pauses when playing, on screens that have both; elsewhere it acts as Play.
constexpr int PlayPause = 0x100E;
constexpr int Play = 0x102E;
constexpr int Pause = 0x102F;
constexpr int FastForward = 0x1031;
constexpr int Rewind = 0x1032;
constexpr int ChannelUp = 0x1033;
// The remote's Subtitle and Language buttons have no Windows command; these values lie above every
// command number Windows gives (their source bits say OEM, as for the remote's other buttons).
constexpr int CycleSubtitles = 0x1100;
constexpr int CycleAudioTrack = 0x1101;
} // namespace appcommand

// The application command a Qt media key stands for, or 0 when the key is not a media key.
int AppCommandFromQtKey(int qtKey);
// The application command of a Linux input key code read from the remote's own event device: the
// keys the display server cannot deliver (X11 passes no code above 247), and the Play key, which
// X11 cannot tell from the Play/Pause key; 0 for any other code.
int AppCommandFromEventKey(int keyCode);
// The command a press counts as when the same press is looked for on another path: the display
// server shows a remote's Play key as Play/Pause.
int SamePressCommand(int command);
