<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>AccessibleMeter</name>
    <message>
        <source>below %1 dBFS</source>
        <translation>%1 dBFS 未満</translation>
    </message>
    <message>
        <source>%1 dBFS</source>
        <translation>%1 dBFS</translation>
    </message>
    <message>
        <source>left %1, right %2</source>
        <translation>左 %1、右 %2</translation>
    </message>
</context>
<context>
    <name>DemoOffer</name>
    <message>
        <source>Create a demo song in &quot;%1&quot;? It has a few takes on several tracks to audition, mix and export.</source>
        <translation>デモ曲を「%1」に作成しますか? 試聴・ミックス・書き出しを試せるテイクがいくつかのトラックに入っています。</translation>
    </message>
    <message>
        <source>The demo song could not be written to &quot;%1&quot;.</source>
        <translation>デモ曲を「%1」に書き込めませんでした。</translation>
    </message>
</context>
<context>
    <name>DesktopPlaces</name>
    <message>
        <source>Home</source>
        <translation>ホーム</translation>
    </message>
    <message>
        <source>File System</source>
        <translation>ファイルシステム</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>TrackPorter for TKR-series Version 2</source>
        <translation>TrackPorter for TKR-series Version 2</translation>
    </message>
    <message>
        <source>TrackPorter needs a graphical display (DISPLAY or WAYLAND_DISPLAY); trackporter-cli works without one.</source>
        <translation>TrackPorter にはグラフィカルなディスプレイ (DISPLAY または WAYLAND_DISPLAY) が必要です。trackporter-cli はディスプレイなしでも動作します。</translation>
    </message>
    <message>
        <source>There is no such folder or file</source>
        <translation>そのようなフォルダーまたはファイルはありません</translation>
    </message>
    <message>
        <source>Take Importing</source>
        <translation>テイクの読み込み</translation>
    </message>
    <message>
        <source>Replace the take %1?</source>
        <translation>テイク %1 を置き換えますか?</translation>
    </message>
    <message>
        <source>Replace the takes %1 and %2?</source>
        <translation>テイク %1 と %2 を置き換えますか?</translation>
    </message>
    <message>
        <source>The take holds audio; nothing was written.</source>
        <translation>テイクには既に音声が入っています。何も書き込みませんでした。</translation>
    </message>
    <message>
        <source>Are you sure to delete the Take?  
  %1[%2]</source>
        <translation>このテイクを削除してもよろしいですか?  
  %1[%2]</translation>
    </message>
    <message>
        <source>Project information file could not be opened.</source>
        <translation>プロジェクト情報ファイルを開けませんでした。</translation>
    </message>
    <message>
        <source>Project information file could not be written.</source>
        <translation>プロジェクト情報ファイルに書き込めませんでした。</translation>
    </message>
    <message>
        <source>The take could not be opened.</source>
        <translation>テイクを開けませんでした。</translation>
    </message>
    <message>
        <source>The take could not be deleted.</source>
        <translation>テイクを削除できませんでした。</translation>
    </message>
    <message>
        <source>The take could not be written.</source>
        <translation>テイクに書き込めませんでした。</translation>
    </message>
    <message>
        <source>Fail to create a Wav/AIFF</source>
        <translation>WAV/AIFF ファイルを作成できませんでした</translation>
    </message>
    <message>
        <source>The Wav/AIFF could not be written.</source>
        <translation>WAV/AIFF ファイルに書き込めませんでした。</translation>
    </message>
    <message>
        <source>The file is not a WAV/AIFF.</source>
        <translation>このファイルは WAV/AIFF ではありません。</translation>
    </message>
    <message>
        <source>File to write could not be opened.</source>
        <translation>書き込み先のファイルを開けませんでした。</translation>
    </message>
    <message>
        <source>No take is selected.</source>
        <translation>テイクが選択されていません。</translation>
    </message>
    <message>
        <source>No take is chosen to import into.</source>
        <translation>読み込み先のテイクが選ばれていません。</translation>
    </message>
    <message>
        <source>Converted</source>
        <translation>変換しました</translation>
    </message>
    <message>
        <source>Aborted</source>
        <translation>中止しました</translation>
    </message>
    <message>
        <source>%1 samples clipped</source>
        <translation>%1 サンプルがクリップしました</translation>
    </message>
    <message>
        <source>1 sample clipped</source>
        <translation>1 サンプルがクリップしました</translation>
    </message>
    <message>
        <source>%1 LUFS, LRA %2 LU, true peak %3 dBTP</source>
        <translation>%1 LUFS、LRA %2 LU、トゥルーピーク %3 dBTP</translation>
    </message>
    <message>
        <source>silent</source>
        <translation>無音</translation>
    </message>
    <message>
        <source>normalised to %1 LUFS</source>
        <translation>%1 LUFS にノーマライズしました</translation>
    </message>
    <message>
        <source>normalised to %1 LUFS, held by the true-peak ceiling</source>
        <translation>%1 LUFS にノーマライズしました (トゥルーピークの上限で抑えました)</translation>
    </message>
    <message>
        <source>Normalise to</source>
        <translation>ノーマライズ先</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>オフ</translation>
    </message>
    <message>
        <source>The take could not be read</source>
        <translation>テイクを読み取れませんでした</translation>
    </message>
    <message>
        <source>The take file is shorter than its header</source>
        <translation>テイクファイルがヘッダーより短くなっています</translation>
    </message>
    <message>
        <source>The file could not be read</source>
        <translation>ファイルを読み取れませんでした</translation>
    </message>
    <message>
        <source>The file ends before its declared length.</source>
        <translation>ファイルが記載された長さに達する前に終わっています。</translation>
    </message>
    <message>
        <source>An export never replaces a file of a song folder.</source>
        <translation>書き出しでソングフォルダー内のファイルを置き換えることはありません。</translation>
    </message>
    <message>
        <source>The song is in use by another TrackPorter.</source>
        <translation>このソングは別の TrackPorter が使用中です。</translation>
    </message>
    <message>
        <source>The sampling rate of the file cannot be converted.</source>
        <translation>このファイルのサンプリングレートは変換できません。</translation>
    </message>
    <message>
        <source>The file is longer than a take can hold.</source>
        <translation>ファイルが長すぎてテイクに収まりません。</translation>
    </message>
    <message>
        <source>The folder is not a project folder (it has no project information file, or it is a backup).</source>
        <translation>このフォルダーはプロジェクトフォルダーではありません (プロジェクト情報ファイルがないか、バックアップです)。</translation>
    </message>
    <message>
        <source>No project folder was found.</source>
        <translation>プロジェクトフォルダーが見つかりませんでした。</translation>
    </message>
    <message>
        <source>The file read back from the disk differs from the take.</source>
        <translation>ディスクから読み戻したファイルがテイクと一致しません。</translation>
    </message>
    <message>
        <source>The archive&apos;s manifest could not be read.</source>
        <translation>アーカイブのマニフェストを読み取れませんでした。</translation>
    </message>
    <message>
        <source>The archive&apos;s manifest was changed after it was written.</source>
        <translation>アーカイブのマニフェストが書き込み後に変更されています。</translation>
    </message>
    <message>
        <source>The archive was stopped before its checksums were written: finish it with stems --continue, or restore it with --allow-changed.</source>
        <translation>アーカイブはチェックサムを書き込む前に中断されています。stems --continue で完了させるか、--allow-changed を付けて復元してください。</translation>
    </message>
    <message>
        <source>The rebuilt file differs from the original (its SHA-256 in the archive); nothing was written.</source>
        <translation>再構築したファイルが元のファイル (アーカイブに記録された SHA-256) と一致しません。何も書き込みませんでした。</translation>
    </message>
    <message>
        <source>The archive file was changed after it was archived (samples, length or rate differ).</source>
        <translation>アーカイブのファイルがアーカイブ後に変更されています (サンプル、長さ、またはレートが異なります)。</translation>
    </message>
    <message>
        <source>The restored file could not be written.</source>
        <translation>復元したファイルを書き込めませんでした。</translation>
    </message>
    <message>
        <source>The DAW project file could not be created.</source>
        <translation>DAW プロジェクトファイルを作成できませんでした。</translation>
    </message>
    <message>
        <source>The DAW project file could not be written.</source>
        <translation>DAW プロジェクトファイルに書き込めませんでした。</translation>
    </message>
    <message>
        <source>The Ardour session could not be written.</source>
        <translation>Ardour セッションを書き出せませんでした。</translation>
    </message>
    <message>
        <source>The Ardour session folder exists; nothing was written.</source>
        <translation>Ardour セッションのフォルダーが既にあります。何も書き出していません。</translation>
    </message>
    <message>
        <source>The folder holds more than an Ardour session written by TrackPorter; it is never replaced.</source>
        <translation>このフォルダーには TrackPorter が書き出した Ardour セッション以外のものがあります。置き換えることはありません。</translation>
    </message>
    <message>
        <source>A name can hold only printable ASCII, half-width katakana and the accented small letters à to ÿ.</source>
        <translation>名前に使えるのは、表示できる ASCII 文字、半角カタカナ、アクセント付きの小文字 à ～ ÿ だけです。</translation>
    </message>
    <message>
        <source>Reading the outline was stopped.</source>
        <translation>波形の読み取りを中止しました。</translation>
    </message>
    <message>
        <source>The take changed while it was read</source>
        <translation>読み取り中にテイクが変更されました</translation>
    </message>
    <message>
        <source>The outline cache could not be written.</source>
        <translation>波形のキャッシュを書き込めませんでした。</translation>
    </message>
    <message>
        <source>Master %1</source>
        <translation>マスター %1</translation>
    </message>
    <message>
        <source>Mono</source>
        <translation>モノラル</translation>
    </message>
    <message>
        <source>L/Mono :%1</source>
        <translation>L/モノ :%1</translation>
    </message>
    <message>
        <source>R      :%1</source>
        <translation>R      :%1</translation>
    </message>
    <message>
        <source>Sampling Rate : </source>
        <translation>サンプリングレート : </translation>
    </message>
    <message>
        <source>Sampling Frames : </source>
        <translation>サンプルフレーム数 : </translation>
    </message>
    <message>
        <source>Bits / Word : </source>
        <translation>量子化ビット数 : </translation>
    </message>
    <message>
        <source>(mono)</source>
        <translation>(モノラル)</translation>
    </message>
    <message>
        <source>(stereo)</source>
        <translation>(ステレオ)</translation>
    </message>
    <message>
        <source>(%1 channels)</source>
        <translation>(%1 チャンネル)</translation>
    </message>
    <message>
        <source>The files do not fit in the 16 tracks; nothing was written.</source>
        <translation>ファイルが 16 トラックに収まりません。何も書き込みませんでした。</translation>
    </message>
    <message>
        <source>Import all %1 channels to tracks %2–%3, take %4?</source>
        <translation>%1 チャンネルすべてをトラック %2–%3 のテイク %4 に読み込みますか?</translation>
    </message>
    <message>
        <source>First channels only</source>
        <translation>先頭のチャンネルのみ</translation>
    </message>
    <message>
        <source>Replace the takes %1?</source>
        <translation>テイク %1 を置き換えますか?</translation>
    </message>
    <message>
        <source>standard input</source>
        <translation>標準入力</translation>
    </message>
    <message>
        <source>Standard input could not be stored</source>
        <translation>標準入力を保存できませんでした</translation>
    </message>
    <message>
        <source>The saved mixes in %1 could not be read (%2); every song starts from the default mix.</source>
        <translation>%1 の保存したミックスを読み込めませんでした (%2)。すべての曲を既定のミックスで始めます。</translation>
    </message>
    <message>
        <source>The saved mixes could not be written.</source>
        <translation>ミックスを保存できませんでした。</translation>
    </message>
    <message>
        <source>Project information file could not be read.</source>
        <translation>プロジェクト情報ファイルを読み取れませんでした。</translation>
    </message>
    <message>
        <source>The file ends in the middle of its audio.</source>
        <translation>ファイルが音声の途中で終わっています。</translation>
    </message>
    <message>
        <source>%1 is damaged: %2</source>
        <translation>%1 は壊れています: %2</translation>
    </message>
    <message>
        <source>the import reads WAV, AIFF, FLAC, Ogg Vorbis, MP3, Opus, CAF, RF64, Wave64 and the other formats libsndfile decodes</source>
        <translation>インポートできるのは WAV、AIFF、FLAC、Ogg Vorbis、MP3、Opus、CAF、RF64、Wave64 など libsndfile が読める形式です</translation>
    </message>
    <message>
        <source>The file&apos;s sampling rate is not one between 1 Hz and 768 kHz.</source>
        <translation>ファイルのサンプリングレートが 1 Hz から 768 kHz の範囲にありません。</translation>
    </message>
    <message>
        <source>it holds fewer frames than when the import began</source>
        <translation>インポートを始めたときよりフレームが少なくなっています</translation>
    </message>
    <message>
        <source>%1 is damaged (shorter than its header): left out of the project.</source>
        <translation>%1 は壊れています (ヘッダーより短い) ので、プロジェクトから除きました。</translation>
    </message>
    <message>
        <source>%1 was left empty: the file has %2.</source>
        <translation>%1 は空のままです: ファイルは %2 です。</translation>
    </message>
    <message>
        <source>%1 were left empty: the file has %2.</source>
        <translation>%1 は空のままです: ファイルは %2 です。</translation>
    </message>
    <message>
        <source>1 channel</source>
        <translation>1 チャンネル</translation>
    </message>
    <message>
        <source>%1 channels</source>
        <translation>%1 チャンネル</translation>
    </message>
    <message>
        <source>Channel %1 of the file was left out.</source>
        <translation>ファイルのチャンネル %1 は取り込みませんでした。</translation>
    </message>
    <message>
        <source>Channels %1 of the file were left out.</source>
        <translation>ファイルのチャンネル %1 は取り込みませんでした。</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 から %2</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 と %2</translation>
    </message>
    <message>
        <source>%1 was written; %2 is untouched.</source>
        <translation>%1 を書き込みました。%2 は変更していません。</translation>
    </message>
    <message>
        <source>%1 was written; %2 are untouched.</source>
        <translation>%1 を書き込みました。%2 は変更していません。</translation>
    </message>
    <message>
        <source>%1 were written; %2 is untouched.</source>
        <translation>%1 を書き込みました。%2 は変更していません。</translation>
    </message>
    <message>
        <source>%1 were written; %2 are untouched.</source>
        <translation>%1 を書き込みました。%2 は変更していません。</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <source>No sound output device was found.</source>
        <translation>サウンド出力デバイスが見つかりませんでした。</translation>
    </message>
    <message>
        <source>The sound output could not be started.</source>
        <translation>サウンド出力を開始できませんでした。</translation>
    </message>
    <message>
        <source>Import %1 of the %2 channels to tracks %3–%4?</source>
        <translation>%2 チャンネルのうち %1 チャンネルをトラック %3–%4 に読み込みますか?</translation>
    </message>
    <message>
        <source>First channel only</source>
        <translation>先頭の 1 チャンネルのみ</translation>
    </message>
    <message>
        <source>Import only the left channel to track %1?</source>
        <translation>左チャンネルだけをトラック %1 に読み込みますか?</translation>
    </message>
    <message>
        <source>Import only the first channel to track %1?</source>
        <translation>先頭のチャンネルだけをトラック %1 に読み込みますか?</translation>
    </message>
</context>
<context>
    <name>Skin</name>
    <message>
        <source>IMPORT</source>
        <translation>読み込み</translation>
    </message>
    <message>
        <source>EXPORT</source>
        <translation>書き出し</translation>
    </message>
    <message>
        <source>INIT</source>
        <translation>初期化</translation>
    </message>
</context>
<context>
    <name>tp::ArchiveRunner</name>
    <message>
        <source>.
Cancelled: the files written so far are complete, and the manifest lists them.</source>
        <translation>。
中止しました: ここまでに書き込んだファイルは完全で、マニフェストに記載されています。</translation>
    </message>
    <message>
        <source>Song %1 of %2, file %3 of %4: %5
%6 of %7</source>
        <translation>曲 %1/%2、ファイル %3/%4: %5
%6 / %7</translation>
    </message>
    <message>
        <source>, %1 left</source>
        <translation>、残り %1</translation>
    </message>
    <message>
        <source>Cancelled: nothing was written.</source>
        <translation>中止しました: 何も書き込んでいません。</translation>
    </message>
    <message>
        <source>exists already: %1</source>
        <translation>既に存在します: %1</translation>
    </message>
    <message>
        <source>.
Cancelled: the files restored so far are complete.</source>
        <translation>。
中止しました: ここまでに復元したファイルは完全です。</translation>
    </message>
    <message>
        <source>%1: the archive holds no take headers; they were written anew, so the take files are not byte-identical to the originals.</source>
        <translation>%1: アーカイブにテイクのヘッダーがないため、ヘッダーを新たに書き込みました。このためテイクファイルは元のファイルとバイト単位では一致しません。</translation>
    </message>
    <message numerus="yes">
        <source>%n song(s)</source>
        <translation>
            <numerusform>%n 曲</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n ファイル</numerusform>
        </translation>
    </message>
    <message>
        <source>all verified</source>
        <translation>すべて検証済み</translation>
    </message>
    <message>
        <source>%1 verified</source>
        <translation>%1 ファイルを検証済み</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) restored</source>
        <translation>
            <numerusform>%n ファイルを復元しました</numerusform>
        </translation>
    </message>
    <message>
        <source>every file checked against its SHA-256</source>
        <translation>すべてのファイルを SHA-256 で確認しました</translation>
    </message>
    <message>
        <source>Song %1 of %2, rebuilding %3
%4 of %5</source>
        <translation>曲 %1/%2、%3 を復元中
%4 / %5</translation>
    </message>
</context>
<context>
    <name>tp::TCOpenDialog</name>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
</context>
<context>
    <name>tp::TDirTreeView</name>
    <message>
        <source>Desktop</source>
        <translation>デスクトップ</translation>
    </message>
</context>
<context>
    <name>tp::TGetWin</name>
    <message>
        <source>Hear the Sound</source>
        <translation>試聴</translation>
    </message>
</context>
<context>
    <name>tp::TMainWin</name>
    <message>
        <source>&amp;Archive...</source>
        <translation>アーカイブ(&amp;A)...</translation>
    </message>
    <message>
        <source>Export to &amp;DAW...</source>
        <translation>DAW へ書き出し(&amp;D)...</translation>
    </message>
    <message>
        <source>&amp;Restore...</source>
        <translation>復元(&amp;R)...</translation>
    </message>
    <message>
        <source>Starting...</source>
        <translation>開始しています...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Stopping after the file being written...</source>
        <translation>書き込み中のファイルが終わりしだい停止します...</translation>
    </message>
    <message>
        <source>No song was found in &quot;%1&quot;.</source>
        <translation>&quot;%1&quot; にソングが見つかりませんでした。</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>アーカイブ</translation>
    </message>
    <message>
        <source>No archived song was found in &quot;%1&quot;.</source>
        <translation>&quot;%1&quot; にアーカイブされたソングが見つかりませんでした。</translation>
    </message>
    <message>
        <source>%1: the archived folder &quot;%2&quot; does not lie below &quot;%3&quot;.</source>
        <translation>%1: アーカイブされたフォルダー &quot;%2&quot; は &quot;%3&quot; の下にありません。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; exists already.

Replace its files with the archive&apos;s?</source>
        <translation>&quot;%1&quot; は既に存在します。

そのファイルをアーカイブのファイルで置き換えますか?</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>復元</translation>
    </message>
    <message>
        <source>Archive into folder</source>
        <translation>アーカイブ先のフォルダー</translation>
    </message>
    <message>
        <source>FLAC (lossless, about half the size)</source>
        <translation>FLAC (ロスレス、サイズは約半分)</translation>
    </message>
    <message>
        <source>Write the takes as:</source>
        <translation>テイクの書き出し形式:</translation>
    </message>
    <message>
        <source>Restore from archive folder</source>
        <translation>復元元のアーカイブフォルダー</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a song folder.</source>
        <translation>&quot;%1&quot; はソングフォルダーではありません。</translation>
    </message>
    <message>
        <source>Export to DAW</source>
        <translation>DAW へ書き出し</translation>
    </message>
    <message>
        <source>DAWproject (*.dawproject)</source>
        <translation>DAWproject (*.dawproject)</translation>
    </message>
    <message>
        <source>Ardour session (folder)</source>
        <translation>Ardour セッション (フォルダー)</translation>
    </message>
    <message>
        <source>Writing &quot;%1&quot;</source>
        <translation>&quot;%1&quot; を書き出しています</translation>
    </message>
    <message>
        <source>Written: &quot;%1&quot;</source>
        <translation>書き出しました: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>PROJECT </source>
        <translation>プロジェクト </translation>
    </message>
    <message>
        <source>Tracks|Select Tracks for Import</source>
        <translation>トラック|読み込み先のトラックを選択</translation>
    </message>
    <message>
        <source>Master|Select Master track</source>
        <translation>マスター|マスタートラックを選択</translation>
    </message>
    <message>
        <source>Audition|Hear Takes</source>
        <translation>試聴|テイクを試聴</translation>
    </message>
    <message>
        <source>Import|Import Take(s) from WAV/AIFF</source>
        <translation>読み込み|WAV/AIFF からテイクを読み込み</translation>
    </message>
    <message>
        <source>Export|Export Take(s) to WAV/AIFF</source>
        <translation>書き出し|テイクを WAV/AIFF に書き出し</translation>
    </message>
    <message>
        <source>Init|Initialize mixer settings</source>
        <translation>初期化|ミキサーの設定を初期化</translation>
    </message>
    <message>
        <source>|Double-click to Edit</source>
        <translation>|ダブルクリックで編集</translation>
    </message>
    <message>
        <source>Sort Tree by Alphabetical</source>
        <translation>ツリーを名前順に並べ替え</translation>
    </message>
    <message>
        <source>Make a new folder</source>
        <translation>新しいフォルダーを作成</translation>
    </message>
    <message>
        <source>Refresh folder information</source>
        <translation>フォルダー情報を更新</translation>
    </message>
    <message>
        <source>Clip|The mix saturated; click to put the light out</source>
        <translation>クリップ|ミックスが飽和しました。クリックで消灯</translation>
    </message>
    <message>
        <source>Clip</source>
        <translation>クリップ</translation>
    </message>
    <message>
        <source>|Level of track %1 after its volume and pan</source>
        <translation>|トラック %1 のレベル (ボリュームとパンの後)</translation>
    </message>
    <message>
        <source>|Level of the mix, left above right</source>
        <translation>|ミックスのレベル (上が左、下が右)</translation>
    </message>
    <message>
        <source>|Short-term loudness of the mix, the last 3 seconds</source>
        <translation>|ミックスの短期ラウドネス (直近 3 秒)</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>ミュート</translation>
    </message>
    <message>
        <source>Mute|Silence track %1 (key M)</source>
        <translation>ミュート|トラック %1 を消音 (M キー)</translation>
    </message>
    <message>
        <source>Solo</source>
        <translation>ソロ</translation>
    </message>
    <message>
        <source>Solo|Hear track %1 and the other soloed tracks only (key S)</source>
        <translation>ソロ|トラック %1 とほかのソロのトラックだけを聴く (S キー)</translation>
    </message>
    <message>
        <source>Change the &amp;Name...</source>
        <translation>名前の変更(&amp;N)...</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Naming</source>
        <translation>名前の変更</translation>
    </message>
    <message>
        <source>Enter new name of the Project</source>
        <translation>プロジェクトの新しい名前を入力してください</translation>
    </message>
    <message>
        <source>enter new name for Track%1-%2</source>
        <translation>Track%1-%2 の新しい名前を入力してください</translation>
    </message>
    <message>
        <source>enter new name for Master %1</source>
        <translation>マスター %1 の新しい名前を入力してください</translation>
    </message>
    <message>
        <source>Take Deleting</source>
        <translation>テイクの削除</translation>
    </message>
    <message>
        <source>This file is %1 Hz; the recorder plays 44,100 Hz.</source>
        <translation>このファイルは %1 Hz です。レコーダーの再生は 44,100 Hz です。</translation>
    </message>
    <message>
        <source>slower and lower</source>
        <translation>遅く低く</translation>
    </message>
    <message>
        <source>faster and higher</source>
        <translation>速く高く</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>変換</translation>
    </message>
    <message>
        <source>Keep samples</source>
        <translation>サンプルを保持</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>フォルダー</translation>
    </message>
    <message>
        <source>&amp;Sort</source>
        <translation>並べ替え(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>新規(&amp;N)</translation>
    </message>
    <message>
        <source>Re&amp;fresh</source>
        <translation>更新(&amp;F)</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>タイム</translation>
    </message>
    <message>
        <source>TRACK %1</source>
        <translation>トラック %1</translation>
    </message>
    <message>
        <source>MASTER</source>
        <translation>マスター</translation>
    </message>
    <message>
        <source>PLAY</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Mixer</source>
        <translation>ミキサー</translation>
    </message>
    <message>
        <source>FADER</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>PANPOT</source>
        <translation>パン</translation>
    </message>
    <message>
        <source>Convert keeps its pitch and length. Keep samples copies it sample for sample: it will play %1.</source>
        <translation>「変換」は音程と長さを保ちます。「サンプルを保持」はサンプルをそのままコピーするため、%1再生されます。</translation>
    </message>
    <message>
        <source>Track %1, take %2: empty</source>
        <translation>トラック %1、テイク %2: 空</translation>
    </message>
    <message>
        <source>Track %1, take %2: %3</source>
        <translation>トラック %1、テイク %2: %3</translation>
    </message>
    <message>
        <source>Track %1, take %2: %3, %4</source>
        <translation>トラック %1、テイク %2: %3、%4</translation>
    </message>
    <message>
        <source>Master take %1: empty</source>
        <translation>マスターテイク %1: 空</translation>
    </message>
    <message>
        <source>Master take %1: %2</source>
        <translation>マスターテイク %1: %2</translation>
    </message>
    <message>
        <source>Master take %1: %2, %3</source>
        <translation>マスターテイク %1: %2、%3</translation>
    </message>
    <message>
        <source>Takes</source>
        <translation>テイク</translation>
    </message>
    <message>
        <source>One row per track; choose one take per track</source>
        <translation>1 行が 1 トラックです。トラックごとにテイクを 1 つ選びます</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>トラック %1</translation>
    </message>
    <message>
        <source>Take %1</source>
        <translation>テイク %1</translation>
    </message>
    <message>
        <source>Master takes</source>
        <translation>マスターテイク</translation>
    </message>
    <message>
        <source>Master</source>
        <translation>マスター</translation>
    </message>
    <message>
        <source>Master take %1</source>
        <translation>マスターテイク %1</translation>
    </message>
    <message>
        <source>Import tracks</source>
        <translation>読み込み先のトラック</translation>
    </message>
    <message>
        <source>The tracks an import writes to</source>
        <translation>読み込みで書き込むトラック</translation>
    </message>
    <message>
        <source>Import to track %1</source>
        <translation>トラック %1 に読み込む</translation>
    </message>
    <message>
        <source>Master mode</source>
        <translation>マスターモード</translation>
    </message>
    <message>
        <source>Show the master takes instead of the tracks&apos; takes</source>
        <translation>トラックのテイクの代わりにマスターテイクを表示します</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>読み込み</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Hear the chosen takes through the mixer (Space)</source>
        <translation>選んだテイクをミキサーを通して試聴します (Space)</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>再生位置</translation>
    </message>
    <message>
        <source>Where the audition starts or plays</source>
        <translation>試聴を始める位置、または再生中の位置</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>書き出し</translation>
    </message>
    <message>
        <source>Export the chosen takes to a WAV or AIFF file (Ctrl+E); press again to stop</source>
        <translation>選んだテイクを WAV または AIFF ファイルに書き出します (Ctrl+E)。もう一度押すと中止します</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>ページ</translation>
    </message>
    <message>
        <source>Folder buttons</source>
        <translation>フォルダーボタン</translation>
    </message>
    <message>
        <source>Song folders</source>
        <translation>ソングフォルダー</translation>
    </message>
    <message>
        <source>Select a song folder of the recorder to see its takes</source>
        <translation>レコーダーのソングフォルダーを選ぶと、そのテイクが表示されます</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>ステータス</translation>
    </message>
    <message>
        <source>Track %1 volume</source>
        <translation>トラック %1 の音量</translation>
    </message>
    <message>
        <source>Track %1 pan</source>
        <translation>トラック %1 のパン</translation>
    </message>
    <message>
        <source>Mute track %1</source>
        <translation>トラック %1 をミュート</translation>
    </message>
    <message>
        <source>Solo track %1</source>
        <translation>トラック %1 をソロ</translation>
    </message>
    <message>
        <source>Track %1 level</source>
        <translation>トラック %1 のレベル</translation>
    </message>
    <message>
        <source>Reset mixer</source>
        <translation>ミキサーをリセット</translation>
    </message>
    <message>
        <source>Every knob back to its default, mute and solo off</source>
        <translation>すべてのつまみを初期値に戻し、ミュートとソロを解除します</translation>
    </message>
    <message>
        <source>Mix level</source>
        <translation>ミックスのレベル</translation>
    </message>
    <message>
        <source>Clip light</source>
        <translation>クリップランプ</translation>
    </message>
    <message>
        <source>The mix clipped; press to put the light out</source>
        <translation>ミックスがクリップしました。押すとランプが消えます</translation>
    </message>
    <message>
        <source>The mix has not clipped</source>
        <translation>ミックスはクリップしていません</translation>
    </message>
    <message>
        <source>Import audio files into the chosen tracks (Ctrl+I); press again to stop</source>
        <translation>音声ファイルを選んだトラックに読み込みます (Ctrl+I)。もう一度押すと中止します</translation>
    </message>
    <message>
        <source>About TrackPorter (F1)</source>
        <translation>TrackPorter について (F1)</translation>
    </message>
    <message>
        <source>About TrackPorter</source>
        <translation>TrackPorter について</translation>
    </message>
    <message>
        <source>TrackPorter is free software: you can redistribute it and/or modify it under the terms of the GNU General Public License, version 3 or (at your option) any later version (GPL-3.0-or-later). It comes with no warranty.</source>
        <translation>TrackPorter はフリーソフトウェアです。GNU 一般公衆利用許諾書のバージョン 3、または (任意で) それ以降のバージョン (GPL-3.0-or-later) の条件のもとで再配布や改変ができます。保証は一切ありません。</translation>
    </message>
    <message>
        <source>%1
Version %2

%3

%4

Built on: %5.
The tests hold its loudness measurement to libebur128.</source>
        <translation>%1
バージョン %2

%3

%4

使用ライブラリ: %5。
ラウドネス測定はテストで libebur128 と照合しています。</translation>
    </message>
    <message>
        <source>The song&apos;s ten stereo master takes; choose one</source>
        <translation>曲の 10 個のステレオ マスターテイク。1 つを選びます</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 / %2</translation>
    </message>
    <message>
        <source>centre</source>
        <translation>センター</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) of the archive exist already in &quot;%1&quot;, e.g. &quot;%2&quot;.

Replace them?</source>
        <translation>
            <numerusform>アーカイブの %n ファイルが &quot;%1&quot; に既にあります (例: &quot;%2&quot;)。

置き換えますか?</numerusform>
        </translation>
    </message>
    <message>
        <source>Takes|Choose one take per track to hear or export</source>
        <translation>テイク|トラックごとにテイクを 1 つ選び、試聴または書き出しします</translation>
    </message>
    <message>
        <source>−14 LUFS (streaming)</source>
        <translation>−14 LUFS（ストリーミング）</translation>
    </message>
    <message>
        <source>−16 LUFS (podcasts)</source>
        <translation>−16 LUFS（ポッドキャスト）</translation>
    </message>
    <message>
        <source>−23 LUFS (broadcast, EBU R128)</source>
        <translation>−23 LUFS（放送、EBU R128）</translation>
    </message>
    <message>
        <source>Keep each song&apos;s mix</source>
        <translation>曲別ミックスを保存</translation>
    </message>
    <message>
        <source>Remember each song&apos;s mixer and chosen takes, and give them back when the song is chosen again</source>
        <translation>曲ごとのミキサーと選んだテイクを覚えておき、その曲を再び選んだときに戻します</translation>
    </message>
    <message>
        <source>Master takes|Choose a master take to hear or export</source>
        <translation>マスターテイク|マスターテイクを選び、試聴または書き出しします</translation>
    </message>
    <message>
        <source>Output: none found</source>
        <translation>出力: 見つかりません</translation>
    </message>
    <message>
        <source>Output: %1</source>
        <translation>出力: %1</translation>
    </message>
    <message>
        <source>Press Esc or click EXPORT again to stop</source>
        <translation>Esc キーを押すか「書き出し」をもう一度クリックすると中止します</translation>
    </message>
    <message>
        <source>Press Esc or click IMPORT again to stop</source>
        <translation>Esc キーを押すか「読み込み」をもう一度クリックすると中止します</translation>
    </message>
</context>
<context>
    <name>tp::TNfWin</name>
    <message>
        <source>New Folder</source>
        <translation>新しいフォルダー</translation>
    </message>
    <message>
        <source>Enter Folder Name   </source>
        <translation>フォルダー名を入力   </translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>キャンセル</translation>
    </message>
</context>
</TS>
