#pragma once
// Real, tiny media files made at test time with ffmpeg (and mkvmerge for
// attachments). Each call starts ffmpeg, so make a file once per suite and copy
// it when many are needed. Every function throws filmarch::Error on failure.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace filmarch::test {

// The video makeVideo generates: its length, picture and streams.
struct GeneratedVideo {
    int seconds = 1;
    int width = 64, height = 48;
    QStringList audioLanguages;    // one audio stream per entry, ISO 639-2 code ("fre", "eng"; "" = no tag)
    QStringList subtitleLanguages; // one subtitle stream per entry (not in .avi)
    QString titleTag;              // the container's title tag, when not empty
    QStringList attachments;       // files attached with mkvmerge (.mkv only)
    int frameRate = 5;
};

// Container chosen by the extension: .mkv (H.264, AAC, SubRip), .mp4 (H.264,
// AAC, timed text) or .avi (MPEG-4 part 2, MP3).
void makeVideo(const QString& path, const GeneratedVideo& video = {});
// A sound file without picture; ffmpeg chooses the codec from the extension (.mp3, .m4a, .wav...).
void makeAudioOnly(const QString& path);
// A single picture; the extension chooses the format (.jpg, .png).
void makePicture(const QString& path);
// A one-second video followed by `mebibytes` of padding that the analysis
// does not read: films told apart by the size an entry stores (whole MiB).
// The parent folders are made.
void makeSizedVideo(const QString& path, int mebibytes);
// A DVD copied as a folder: `folder`/VIDEO_TS with one title set per entry
// (VTS_01 first), real MPEG-PS .VOB and the .IFO dvdauthor writes.
struct DvdTitleSet {
    int seconds = 1;
    int width = 720, height = 576; // sizes a PAL DVD allows: 720x576, 704x576, 352x576, 352x288
};
void makeDvdFolder(const QString& folder, const std::vector<DvdTitleSet>& titleSets);
// A Blu-ray-like folder: BDMV/index.bdmv (not a real one) and one MPEG-2
// .m2ts stream per entry in BDMV/STREAM (00000.m2ts first).
void makeBlurayFolder(const QString& folder, const std::vector<GeneratedVideo>& streams);
void makeTextFile(const QString& path, const QByteArray& content = "texte");

} // namespace filmarch::test
