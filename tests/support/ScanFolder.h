#pragma once
// One folder of real files shared by the scan tests, made once per program:
//   Le.Film.2001.mkv           video, French and English audio, French subtitles
//   Les Visiteurs (1993).mp4   video
//   .cachée.mp4                hidden video with an accented name
//   notes.txt, affiche.png     no video
//   sous/Été.avi               video in a sub-folder
//   sous/plus/Autre.Film.mkv   video two levels down
#include <QString>

namespace filmarch::test {

const QString& scanFolder();
inline constexpr int kRootFiles = 5, kRootVideos = 3, kAllFiles = 7, kAllVideos = 5;

} // namespace filmarch::test
