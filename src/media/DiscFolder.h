#pragma once
// A DVD or Blu-ray copied as a folder is one film: the folder that holds
// VIDEO_TS/VIDEO_TS.IFO (or VIDEO_TS.IFO itself), or BDMV/index.bdmv. Its
// values are its main title's, its size the whole folder's, its name the
// film's.
#include <QString>

#include <optional>

namespace filmarch {

struct DiscFolder {
    QString folder;    // the disc, as it is catalogued
    QString mainTitle; // the file the analysis reads
    QString name;      // the folder whose name gives the title (the one above VIDEO_TS or BDMV)
    qint64 bytes = 0;  // of every file under `folder`
};

// True when `folder` is a disc; only a few names are looked up.
bool isDiscFolder(const QString& folder);

// The disc's main title: on a DVD, the .IFO of the title set with the most
// bytes of .VOB (measured through its .IFO, which holds the title's length and
// streams); on a Blu-ray, the largest stream of BDMV/STREAM. None when
// `folder` is not a disc or holds no title.
std::optional<DiscFolder> readDiscFolder(const QString& folder);

} // namespace filmarch
