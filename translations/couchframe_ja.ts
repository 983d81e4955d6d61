<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>CodePage</name>
    <message>
        <source>Unknown code page %1</source>
        <translation>Unknown code page %1</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Usage: couchframe [/CONFIG | --config]
       couchframe --export-settings FILE
       couchframe --import-settings FILE

Full-screen living-room media front end.

  /CONFIG, --config        open the settings dialog before the main menu
  --export-settings FILE   write every setting to FILE in .reg text format (- for stdout)
  --import-settings FILE   read settings from a .reg text file (- for stdin)
  --help                   show this help and exit
  --version                show the version and exit

Qt&apos;s own options (-platform NAME, -display DISPLAY, ...) are accepted as well.

Keys: arrows and Enter choose; Esc or Delete go back; the exit code (default 81536047)
and Enter on the main menu quit. Player and slide show: Ctrl+P play/pause, Ctrl+S stop,
Ctrl+F/Ctrl+B next/previous, Ctrl+I progress bar; player: Ctrl+T subtitles, Ctrl+A audio
track, F8 mute, F9/F10 volume. Every key of every screen: man couchframe.

Files: $XDG_CONFIG_HOME/couchframe/settings.db (settings), .../couchframe/mpv.conf (mpv
options), $XDG_DATA_HOME/couchframe/plugins (your picture plug-ins).
Environment: COUCHFRAME_MPV_OPTIONS=ao=...,vo=libmpv|null sets the player&apos;s outputs;
COUCHFRAME_PHONE_PORT the phone remote&apos;s port (48080; F1 on the main menu pairs a phone).
Living room: couchframe-kiosk runs it as a Wayland kiosk session (cage).
</source>
        <translation>Usage: couchframe [/CONFIG | --config]
       couchframe --export-settings FILE
       couchframe --import-settings FILE

Full-screen living-room media front end.

  /CONFIG, --config        open the settings dialog before the main menu
  --export-settings FILE   write every setting to FILE in .reg text format (- for stdout)
  --import-settings FILE   read settings from a .reg text file (- for stdin)
  --help                   show this help and exit
  --version                show the version and exit

Qt&apos;s own options (-platform NAME, -display DISPLAY, ...) are accepted as well.

Keys: arrows and Enter choose; Esc or Delete go back; the exit code (default 81536047)
and Enter on the main menu quit. Player and slide show: Ctrl+P play/pause, Ctrl+S stop,
Ctrl+F/Ctrl+B next/previous, Ctrl+I progress bar; player: Ctrl+T subtitles, Ctrl+A audio
track, F8 mute, F9/F10 volume. Every key of every screen: man couchframe.

Files: $XDG_CONFIG_HOME/couchframe/settings.db (settings), .../couchframe/mpv.conf (mpv
options), $XDG_DATA_HOME/couchframe/plugins (your picture plug-ins).
Environment: COUCHFRAME_MPV_OPTIONS=ao=...,vo=libmpv|null sets the player&apos;s outputs;
COUCHFRAME_PHONE_PORT the phone remote&apos;s port (48080; F1 on the main menu pairs a phone).
Living room: couchframe-kiosk runs it as a Wayland kiosk session (cage).
</translation>
    </message>
    <message>
        <source>cannot write to standard output</source>
        <translation>cannot write to standard output</translation>
    </message>
    <message>
        <source>the input is larger than %1 MiB and is not a settings file</source>
        <translation>the input is larger than %1 MiB and is not a settings file</translation>
    </message>
    <message>
        <source>%1 needs a FILE (- for standard output)</source>
        <translation>%1 needs a FILE (- for standard output)</translation>
    </message>
    <message>
        <source>%1 needs a FILE (- for standard input)</source>
        <translation>%1 needs a FILE (- for standard input)</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>standard output</translation>
    </message>
    <message>
        <source>standard input</source>
        <translation>standard input</translation>
    </message>
    <message>
        <source>cannot export the settings to %1: %2</source>
        <translation>cannot export the settings to %1: %2</translation>
    </message>
    <message>
        <source>cannot import the settings from %1: %2</source>
        <translation>cannot import the settings from %1: %2</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>unknown option &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>EFCreateError</name>
    <message>
        <source>ファイル &quot;%1&quot;. %2 を作成できません</source>
        <translation>ファイル &quot;%1&quot;. %2 を作成できません</translation>
    </message>
</context>
<context>
    <name>ESPIDupCreateSPIs</name>
    <message>
        <source>TSPIs は複数生成できません</source>
        <translation>TSPIs は複数生成できません</translation>
    </message>
</context>
<context>
    <name>ESPIFOpenErrorSPI</name>
    <message>
        <source>%1:Susie Pluginがロードできませんでした</source>
        <translation>%1:Susie Pluginがロードできませんでした</translation>
    </message>
</context>
<context>
    <name>ESPIInvalidAPI</name>
    <message>
        <source>%1は[%2]では使えないSusie Plugin APIです</source>
        <translation>%1は[%2]では使えないSusie Plugin APIです</translation>
    </message>
</context>
<context>
    <name>FileMenu</name>
    <message>
        <source>my Video</source>
        <translation>my Video</translation>
    </message>
    <message>
        <source>my Music</source>
        <translation>my Music</translation>
    </message>
    <message>
        <source>my Picture</source>
        <translation>my Picture</translation>
    </message>
    <message>
        <source>Unknown playlist kind %1</source>
        <translation>Unknown playlist kind %1</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>Some picture plug-ins were not loaded:
%1</source>
        <translation>Some picture plug-ins were not loaded:
%1</translation>
    </message>
</context>
<context>
    <name>MediaPlayerControl</name>
    <message>
        <source>The media player cannot fast reverse this media.</source>
        <translation>The media player cannot fast reverse this media.</translation>
    </message>
    <message>
        <source>The media player has no play mode &quot;%1&quot;.</source>
        <translation>The media player has no play mode &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>MpvEngine</name>
    <message>
        <source>The media player cannot be created.</source>
        <translation>The media player cannot be created.</translation>
    </message>
    <message>
        <source>start</source>
        <translation>start</translation>
    </message>
    <message>
        <source>watch the opening of items</source>
        <translation>watch the opening of items</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be played: %2</source>
        <translation>&quot;%1&quot; cannot be played: %2</translation>
    </message>
    <message>
        <source>The media player cannot fast forward this media.</source>
        <translation>The media player cannot fast forward this media.</translation>
    </message>
    <message>
        <source>The media player cannot %1: %2</source>
        <extracomment>%1 is what the player was doing (&quot;start&quot;, &quot;read &quot;volume&quot;&quot;), %2 the reason mpv gives.</extracomment>
        <translation>The media player cannot %1: %2</translation>
    </message>
    <message>
        <source>set the option &quot;%1&quot; to &quot;%2&quot;</source>
        <translation>set the option &quot;%1&quot; to &quot;%2&quot;</translation>
    </message>
    <message>
        <source>run &quot;%1&quot;</source>
        <translation>run &quot;%1&quot;</translation>
    </message>
    <message>
        <source>read &quot;%1&quot;</source>
        <translation>read &quot;%1&quot;</translation>
    </message>
    <message>
        <source>set &quot;%1&quot;</source>
        <translation>set &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>OpenGlRenderer</name>
    <message>
        <source>The video cannot be drawn: OpenGL is not available.</source>
        <translation>The video cannot be drawn: OpenGL is not available.</translation>
    </message>
</context>
<context>
    <name>PhoneSetupService</name>
    <message>
        <source>The settings sent are incomplete; nothing was saved.</source>
        <translation>送られた設定がそろっていないため、何も保存しませんでした。</translation>
    </message>
</context>
<context>
    <name>Platform</name>
    <message>
        <source>neither DISPLAY nor WAYLAND_DISPLAY is set</source>
        <translation>neither DISPLAY nor WAYLAND_DISPLAY is set</translation>
    </message>
    <message>
        <source>tried %1</source>
        <translation>tried %1</translation>
    </message>
    <message>
        <source>cannot open a display: no X server or Wayland compositor could be reached (%1)</source>
        <translation>cannot open a display: no X server or Wayland compositor could be reached (%1)</translation>
    </message>
    <message>
        <source>%1

(%2 times)</source>
        <translation>%1

(%2 times)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Playing media</source>
        <translation>Playing media</translation>
    </message>
    <message>
        <source>Pausing playback and keeping its place</source>
        <translation>Pausing playback and keeping its place</translation>
    </message>
    <message>
        <source>it is a symbolic link</source>
        <translation>it is a symbolic link</translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation>it is not a folder</translation>
    </message>
    <message>
        <source>it belongs to another account (user id %1)</source>
        <translation>it belongs to another account (user id %1)</translation>
    </message>
    <message>
        <source>others may use it (mode %1, not 0700)</source>
        <translation>others may use it (mode %1, not 0700)</translation>
    </message>
    <message>
        <source>The temporary folder &quot;%1&quot; cannot be used: %2. Remove it, or set TMPDIR to a folder of your own.</source>
        <translation>The temporary folder &quot;%1&quot; cannot be used: %2. Remove it, or set TMPDIR to a folder of your own.</translation>
    </message>
</context>
<context>
    <name>PlaybackIndex</name>
    <message>
        <source>where %1 was left</source>
        <extracomment>%1 is the name of a file that was played.</extracomment>
        <translation>where %1 was left</translation>
    </message>
</context>
<context>
    <name>Player</name>
    <message>
        <source>COUCHFRAME_MPV_OPTIONS: &quot;%1&quot; cannot be used (understood: ao=OUTPUT, vo=libmpv, vo=null).</source>
        <translation>COUCHFRAME_MPV_OPTIONS: &quot;%1&quot; cannot be used (understood: ao=OUTPUT, vo=libmpv, vo=null).</translation>
    </message>
    <message>
        <source>The video cannot be shown: %1</source>
        <translation>The video cannot be shown: %1</translation>
    </message>
    <message>
        <source>The video cannot be drawn: %1</source>
        <translation>The video cannot be drawn: %1</translation>
    </message>
    <message>
        <source>The media player library %1 cannot be loaded: %2</source>
        <translation>The media player library %1 cannot be loaded: %2</translation>
    </message>
    <message>
        <source>The media player library %1 lacks the function %2.</source>
        <translation>The media player library %1 lacks the function %2.</translation>
    </message>
    <message>
        <source>The media player cannot choose another track: %1</source>
        <translation>The media player cannot choose another track: %1</translation>
    </message>
    <message>
        <source>Resumed at %1 — Ctrl+B starts over</source>
        <translation>Resumed at %1 — Ctrl+B starts over</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>Playing</source>
        <translation>Playing</translation>
    </message>
    <message>
        <source>Muted</source>
        <translation>Muted</translation>
    </message>
    <message>
        <source>Sound on</source>
        <translation>Sound on</translation>
    </message>
    <message>
        <source>Volume %1</source>
        <translation>Volume %1</translation>
    </message>
    <message>
        <source>No subtitles</source>
        <translation>No subtitles</translation>
    </message>
    <message>
        <source>No audio track</source>
        <translation>No audio track</translation>
    </message>
    <message>
        <source>Subtitles off</source>
        <translation>Subtitles off</translation>
    </message>
    <message>
        <source>Audio off</source>
        <translation>Audio off</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Track %1</translation>
    </message>
    <message>
        <source>%1: %2 (%3 of %4)</source>
        <extracomment>%1 is &quot;Subtitles&quot; or &quot;Audio&quot;, %2 the track&apos;s name, %3 its number, %4 the count.</extracomment>
        <translation>%1: %2 (%3 of %4)</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Subtitles</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>The playlist &quot;%1&quot; cannot be opened: %2</source>
        <translation>The playlist &quot;%1&quot; cannot be opened: %2</translation>
    </message>
    <message>
        <source>The playlist &quot;%1&quot; cannot be read (line %2, column %3): %4</source>
        <translation>The playlist &quot;%1&quot; cannot be read (line %2, column %3): %4</translation>
    </message>
    <message>
        <source>The playlist &quot;%1&quot; lists no media.</source>
        <translation>The playlist &quot;%1&quot; lists no media.</translation>
    </message>
</context>
<context>
    <name>PlaylistLineage</name>
    <message>
        <source>The playlist &quot;%1&quot; is nested more than %2 playlists deep; its entries are skipped.</source>
        <translation>The playlist &quot;%1&quot; is nested more than %2 playlists deep; its entries are skipped.</translation>
    </message>
    <message>
        <source>The playlist &quot;%1&quot; leads back to itself; it is skipped.</source>
        <translation>The playlist &quot;%1&quot; leads back to itself; it is skipped.</translation>
    </message>
</context>
<context>
    <name>PluginFile</name>
    <message>
        <source>it is a symbolic link</source>
        <translation>it is a symbolic link</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>it cannot be opened: %1</source>
        <translation>it cannot be opened: %1</translation>
    </message>
</context>
<context>
    <name>Plugins</name>
    <message>
        <source>its folder is owned by another user</source>
        <translation>its folder is owned by another user</translation>
    </message>
    <message>
        <source>it is owned by another user</source>
        <translation>it is owned by another user</translation>
    </message>
    <message>
        <source>its folder is writable by group or others</source>
        <translation>its folder is writable by group or others</translation>
    </message>
    <message>
        <source>it is writable by group or others</source>
        <translation>it is writable by group or others</translation>
    </message>
    <message>
        <source>Susie Plugins could not decode</source>
        <translation>Susie Plugins could not decode</translation>
    </message>
    <message>
        <source>The picture is too large</source>
        <translation>The picture is too large</translation>
    </message>
</context>
<context>
    <name>ReadableWait</name>
    <message>
        <source>Waiting for %1…</source>
        <extracomment>%1 is the name of the folder the film, song or picture lies in.</extracomment>
        <translation>Waiting for %1…</translation>
    </message>
</context>
<context>
    <name>RefusedWrites</name>
    <message>
        <source>Not saved: %1 (%2).</source>
        <extracomment>%1 lists what was not saved (&quot;Volume, where film.mkv was left&quot;), %2 says why (&quot;the disk is full&quot;).</extracomment>
        <translation>Not saved: %1 (%2).</translation>
    </message>
    <message>
        <source>It is kept, and saved as soon as the settings file can be written again.</source>
        <translation>It is kept, and saved as soon as the settings file can be written again.</translation>
    </message>
</context>
<context>
    <name>RegParser</name>
    <message>
        <source>the file does not start with &quot;%1&quot;</source>
        <translation>the file does not start with &quot;%1&quot;</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>a key line must end with &quot;]&quot;</source>
        <translation>a key line must end with &quot;]&quot;</translation>
    </message>
    <message>
        <source>unknown root key &quot;%1&quot;</source>
        <translation>unknown root key &quot;%1&quot;</translation>
    </message>
    <message>
        <source>the key path &quot;%1&quot; has an empty component</source>
        <translation>the key path &quot;%1&quot; has an empty component</translation>
    </message>
    <message>
        <source>the root key %1 cannot be deleted</source>
        <translation>the root key %1 cannot be deleted</translation>
    </message>
    <message>
        <source>only \\ and \&quot; may follow a backslash in quotes</source>
        <translation>only \ and \&quot; may follow a backslash in quotes</translation>
    </message>
    <message>
        <source>a quoted text has no closing quote</source>
        <translation>a quoted text has no closing quote</translation>
    </message>
    <message>
        <source>a value must follow a key line</source>
        <translation>a value must follow a key line</translation>
    </message>
    <message>
        <source>a value line must start with a quoted name or @</source>
        <translation>a value line must start with a quoted name or @</translation>
    </message>
    <message>
        <source>&quot;=&quot; must follow the value name</source>
        <translation>&quot;=&quot; must follow the value name</translation>
    </message>
    <message>
        <source>unexpected text after the closing quote</source>
        <translation>unexpected text after the closing quote</translation>
    </message>
    <message>
        <source>unknown kind of value data &quot;%1&quot;</source>
        <translation>unknown kind of value data &quot;%1&quot;</translation>
    </message>
    <message>
        <source>dword: must be followed by one to eight hex digits</source>
        <translation>dword: must be followed by one to eight hex digits</translation>
    </message>
    <message>
        <source>hex data needs a &quot;:&quot;</source>
        <translation>hex data needs a &quot;:&quot;</translation>
    </message>
    <message>
        <source>hex kind must read hex(N)</source>
        <translation>hex kind must read hex(N)</translation>
    </message>
    <message>
        <source>the value&apos;s continuation line is missing</source>
        <translation>the value&apos;s continuation line is missing</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a hex byte</source>
        <translation>&quot;%1&quot; is not a hex byte</translation>
    </message>
    <message>
        <source>text in hex(%1) must be UTF-16LE, an even number of bytes</source>
        <translation>text in hex(%1) must be UTF-16LE, an even number of bytes</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>キー %1 の作成に失敗しました</source>
        <translation>キー %1 の作成に失敗しました</translation>
    </message>
    <message>
        <source>&apos;%1&apos; の取得に失敗しました</source>
        <translation>&apos;%1&apos; の取得に失敗しました</translation>
    </message>
    <message>
        <source>&apos;%1&apos; の設定に失敗しました</source>
        <translation>&apos;%1&apos; の設定に失敗しました</translation>
    </message>
    <message>
        <source>&apos;%1&apos; のデータ型が不正です</source>
        <translation>&apos;%1&apos; のデータ型が不正です</translation>
    </message>
    <message>
        <source>The name &quot;%1&quot; holds a line break and cannot be written to a .reg file</source>
        <translation>The name &quot;%1&quot; holds a line break and cannot be written to a .reg file</translation>
    </message>
    <message>
        <source>the text is not UTF-8</source>
        <translation>the text is not UTF-8</translation>
    </message>
    <message>
        <source>Unknown category %1</source>
        <translation>Unknown category %1</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>the disk is full</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>The settings store %1 failed: %2</source>
        <translation>The settings store %1 failed: %2</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>Cannot open the settings store %1: %2</source>
        <translation>Cannot open the settings store %1: %2</translation>
    </message>
    <message>
        <source>cannot create the folder %1</source>
        <translation>cannot create the folder %1</translation>
    </message>
    <message>
        <source>it holds no settings</source>
        <translation>it holds no settings</translation>
    </message>
    <message>
        <source>it was written by a newer version of Couchframe</source>
        <translation>it was written by a newer version of Couchframe</translation>
    </message>
    <message>
        <source>The settings store cannot change files inside a transaction</source>
        <translation>The settings store cannot change files inside a transaction</translation>
    </message>
    <message>
        <source>another program is using the settings file</source>
        <translation>another program is using the settings file</translation>
    </message>
    <message>
        <source>the settings folder cannot be written</source>
        <translation>the settings folder cannot be written</translation>
    </message>
    <message>
        <source>the disk could not write the settings file</source>
        <translation>the disk could not write the settings file</translation>
    </message>
    <message>
        <source>Not a valid key path: %1</source>
        <translation>Not a valid key path: %1</translation>
    </message>
</context>
<context>
    <name>TConfig_Form</name>
    <message>
        <source>タイトル</source>
        <translation>タイトル</translation>
    </message>
    <message>
        <source>パス</source>
        <translation>パス</translation>
    </message>
    <message>
        <source>ロック</source>
        <translation>ロック</translation>
    </message>
    <message>
        <source>環境設定</source>
        <translation>環境設定</translation>
    </message>
    <message>
        <source>全般</source>
        <translation>全般</translation>
    </message>
    <message>
        <source>my Video</source>
        <translation>my Video</translation>
    </message>
    <message>
        <source>my Music</source>
        <translation>my Music</translation>
    </message>
    <message>
        <source>my Picture</source>
        <translation>my Picture</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>終了コード(&amp;E):</source>
        <translation>終了コード(&amp;E):</translation>
    </message>
    <message>
        <source>アクティブディレイ(&amp;A):</source>
        <translation>アクティブディレイ(&amp;A):</translation>
    </message>
    <message>
        <source>Phone remote(&amp;R)</source>
        <translation>スマホリモコン(&amp;R)</translation>
    </message>
    <message>
        <source>Forget phones</source>
        <translation>スマホの登録を消去</translation>
    </message>
    <message>
        <source>Every phone has been forgotten: a phone pairs again by the code on the TV.</source>
        <translation>すべてのスマホの登録を消去しました。テレビに出るコードで、もう一度登録できます。</translation>
    </message>
    <message>
        <source>次のファイルも続けて再生(&amp;N)</source>
        <translation>次のファイルも続けて再生(&amp;N)</translation>
    </message>
    <message>
        <source>追加(&amp;A)</source>
        <translation>追加(&amp;A)</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>削除(&amp;D)</translation>
    </message>
    <message>
        <source>ロック解除コード(&amp;U):</source>
        <translation>ロック解除コード(&amp;U):</translation>
    </message>
    <message>
        <source>表示する拡張子(&amp;X):</source>
        <translation>表示する拡張子(&amp;X):</translation>
    </message>
    <message>
        <source>フォルダ(&amp;F):</source>
        <translation>フォルダ(&amp;F):</translation>
    </message>
    <message>
        <source>

Nothing was saved. The settings stay open: press OK to try again, or キャンセル to leave them.</source>
        <translation>

Nothing was saved. The settings stay open: press OK to try again, or キャンセル to leave them.</translation>
    </message>
    <message>
        <source>&quot;終了コード&quot; must be 1 to %1 digits (0 to 9): it is typed on the remote&apos;s digit keys, and an empty one would quit at every Enter.</source>
        <translation>&quot;終了コード&quot; must be 1 to %1 digits (0 to 9): it is typed on the remote&apos;s digit keys, and an empty one would quit at every Enter.</translation>
    </message>
    <message>
        <source>&quot;ロック解除コード&quot; of &quot;%1&quot; may hold only digits (0 to 9), or nothing for no lock.</source>
        <translation>&quot;ロック解除コード&quot; of &quot;%1&quot; may hold only digits (0 to 9), or nothing for no lock.</translation>
    </message>
    <message>
        <source>The settings dialog has no category %1.</source>
        <translation>The settings dialog has no category %1.</translation>
    </message>
    <message>
        <source>Set up from a phone: scan the code, or open %1 in the phone&apos;s browser and type the code %2.</source>
        <translation>スマホから設定: コードを読み取るか、スマホのブラウザーで %1 を開いてコード %2 を入力してください。</translation>
    </message>
</context>
<context>
    <name>TFile_Menu</name>
    <message>
        <source>my Movie</source>
        <translation>my Movie</translation>
    </message>
    <message>
        <source> [Prev]</source>
        <translation> [Prev]</translation>
    </message>
    <message>
        <source>[Next] </source>
        <translation>[Next] </translation>
    </message>
    <message>
        <source>[Clear] Go to Main</source>
        <translation>[Clear] Go to Main</translation>
    </message>
    <message numerus="yes">
        <source>Reading the folder… %n found</source>
        <translation>
            <numerusform>Reading the folder… %n found</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TFolder_Form</name>
    <message>
        <source>フォルダ設定</source>
        <translation>フォルダ設定</translation>
    </message>
    <message>
        <source>ロック(&amp;L)</source>
        <translation>ロック(&amp;L)</translation>
    </message>
    <message>
        <source>タイトル(&amp;T):</source>
        <translation>タイトル(&amp;T):</translation>
    </message>
    <message>
        <source>パス(&amp;F):</source>
        <translation>パス(&amp;F):</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>追加するフォルダを指定して下さい</source>
        <translation>追加するフォルダを指定して下さい</translation>
    </message>
</context>
<context>
    <name>TInSPIAbleData</name>
    <message>
        <source>Loading Graphic by Susie Plugin</source>
        <translation>Loading Graphic by Susie Plugin</translation>
    </message>
    <message>
        <source>Loaded Graphic by Susie Plugin</source>
        <translation>Loaded Graphic by Susie Plugin</translation>
    </message>
    <message>
        <source>Seeking enabled Susie Plugins</source>
        <translation>Seeking enabled Susie Plugins</translation>
    </message>
    <message>
        <source>Loading by [%1]</source>
        <translation>Loading by [%1]</translation>
    </message>
</context>
<context>
    <name>TPGradation</name>
    <message>
        <source>TargetImage Property is not selected</source>
        <translation>TargetImage Property is not selected</translation>
    </message>
</context>
<context>
    <name>TPhone_Form</name>
    <message>
        <source>Phone remote</source>
        <translation>スマホリモコン</translation>
    </message>
    <message>
        <source>The phone remote cannot be reached: no network address could be served. Check the network connection, then open this screen again.</source>
        <translation>スマホリモコンにつながりません: 使えるネットワークアドレスがありません。ネットワークの接続を確かめてから、この画面をもう一度開いてください。</translation>
    </message>
    <message>
        <source>Scan the code with the phone&apos;s camera. Without a camera, open the address below in the phone&apos;s browser and type the code.</source>
        <translation>スマホのカメラでコードを読み取ってください。カメラがなければ、下のアドレスをスマホのブラウザーで開いてコードを入力してください。</translation>
    </message>
    <message>
        <source>Code: %1</source>
        <translation>コード: %1</translation>
    </message>
    <message>
        <source>Phone connected</source>
        <translation>スマホが接続されました</translation>
    </message>
</context>
<context>
    <name>TPlainBitmap</name>
    <message>
        <source>Cannot open %1</source>
        <translation>Cannot open %1</translation>
    </message>
</context>
<context>
    <name>TPlayer_Form</name>
    <message>
        <source>Player</source>
        <translation>Player</translation>
    </message>
    <message>
        <source>Loop [Off]</source>
        <translation>Loop [Off]</translation>
    </message>
    <message>
        <source>Shuffle [Off]</source>
        <translation>Shuffle [Off]</translation>
    </message>
    <message>
        <source>Next: %1 (%2)</source>
        <translation>Next: %1 (%2)</translation>
    </message>
    <message>
        <source>Loop[On]</source>
        <translation>Loop[On]</translation>
    </message>
    <message>
        <source>Loop[Off]</source>
        <translation>Loop[Off]</translation>
    </message>
    <message>
        <source>Shuffle[On]</source>
        <translation>Shuffle[On]</translation>
    </message>
    <message>
        <source>Shuffle[Off]</source>
        <translation>Shuffle[Off]</translation>
    </message>
</context>
<context>
    <name>TSPIBitmap</name>
    <message>
        <source>Loaded Graphic</source>
        <translation>Loaded Graphic</translation>
    </message>
</context>
<context>
    <name>TSPIs</name>
    <message>
        <source>%1: the folder did not answer within %2 seconds</source>
        <translation>%1: the folder did not answer within %2 seconds</translation>
    </message>
    <message>
        <source>%1: it stopped an earlier start while it was being loaded; it is skipped until it is replaced</source>
        <translation>%1: it stopped an earlier start while it was being loaded; it is skipped until it is replaced</translation>
    </message>
</context>
<context>
    <name>Tmain_form</name>
    <message>
        <source>Couchframe</source>
        <translation>Couchframe</translation>
    </message>
    <message>
        <source>my Video</source>
        <translation>my Video</translation>
    </message>
    <message>
        <source>my Music</source>
        <translation>my Music</translation>
    </message>
    <message>
        <source>my Picture</source>
        <translation>my Picture</translation>
    </message>
    <message>
        <source>Main Menu</source>
        <translation>Main Menu</translation>
    </message>
    <message>
        <source>Phone remote: F1</source>
        <translation>スマホリモコン: F1</translation>
    </message>
    <message>
        <source>my Files</source>
        <translation>my Files</translation>
    </message>
    <message>
        <source>%1

Couchframe runs on its default settings; nothing will be saved.</source>
        <translation>%1

Couchframe runs on its default settings; nothing will be saved.</translation>
    </message>
</context>
<context>
    <name>Viewer</name>
    <message>
        <source>Susie Plugins could not decode</source>
        <translation>Susie Plugins could not decode</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Cannot open file &quot;%1&quot;. %2</translation>
    </message>
    <message>
        <source>Cannot read file &quot;%1&quot;. %2</source>
        <translation>Cannot read file &quot;%1&quot;. %2</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>Pictures</translation>
    </message>
</context>
</TS>
