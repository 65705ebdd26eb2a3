#pragma once
// Binding to the MediaInfo library, loaded at run time by the dynamic loader
// (the system's libmediainfo.so.0) and reached through its C interface (wide text is wchar_t, UTF-32 here).
#include <QHash>
#include <QString>

#include <functional>

namespace filmarch {

// Numbered exactly as the library numbers its stream kinds and kinds of information.
enum TMIStreamKind {
    Stream_General,
    Stream_Video,
    Stream_Audio,
    Stream_Text,
    Stream_Chapters,
    Stream_Image,
    Stream_Menu,
    Stream_Max
};
enum TMIInfo {
    Info_Name,
    Info_Text,
    Info_Measure,
    Info_Options,
    Info_Name_Text,
    Info_Measure_Text,
    Info_Info,
    Info_HowTo,
    Info_Max
};

// The library turns wide file names into bytes with the C library's character
// set, while file names on disk (and in Qt) are UTF-8: under the bare "C" set a
// name with an accent would never open. Sets LC_CTYPE to a UTF-8 set unless
// it is one already.
void useUtf8FileNames();

// True when the dynamic loader can load `library` (a soname or a path).
bool mediaInfoLoadable(const QString& library);

// Loads the library once (a second call keeps the loaded one) and resolves its
// twenty entry points by name. A missing export leaves its entry empty; only a
// library that cannot be loaded at all gives false.
bool MediaInfoDLL_Load(const QString& LibPath);
// Unloads the library and empties every entry point.
void MediaInfoDLL_Unload();
// True when the loaded library exports the entry point of that name.
bool MediaInfoDLL_HasEntryPoint(const char* name);

class MesFonctionMediaInfo {
public:
    // Loads `library` (a soname the loader looks up, or a path); throws Error
    // with the system's reason.
    explicit MesFonctionMediaInfo(const QString& library);
    // Deletes a handle still open, then unloads the library once no other object uses it.
    virtual ~MesFonctionMediaInfo();
    MesFonctionMediaInfo(const MesFonctionMediaInfo&) = delete;
    MesFonctionMediaInfo& operator=(const MesFonctionMediaInfo&) = delete;

    // Starts a fresh analysis; a handle still open is deleted first. Throws Error
    // when the library gives no handle or lacks one of the entry points the
    // analysis calls.
    virtual void New();
    // Non-zero when the file was analysed; 0 also when no analysis is started.
    virtual int Open(const QString& AFileName);
    // Text value of a parameter of one stream; empty when the file, stream or
    // parameter has none. A text value by name is asked of the analysis once per
    // open file: the file does not change while it is catalogued, and a value
    // asked on a worker is read by the writer without waiting on the library's
    // locks (a value that could not be read is asked again).
    QString Get(TMIStreamKind StreamKind, int StreamNumber, const QString& Parameter, TMIInfo KindOfInfo = Info_Text,
        TMIInfo KindOfSearch = Info_Name);
    // Releases the analysis; does nothing when none is open.
    virtual void Delete();
    // An analysis waited for in another process is abandoned once `stop` says
    // so; the library's own analysis in this process cannot be.
    virtual void stopWhen(std::function<bool()> stop) { (void)stop; }

protected:
    // For stand-ins that answer without the library: loads nothing.
    struct WithoutLibrary {};
    explicit MesFonctionMediaInfo(WithoutLibrary) : ownsLibrary(false) {}

    // What the analysis answers now, not remembered.
    virtual QString ask(
        TMIStreamKind StreamKind, int StreamNumber, const QString& Parameter, TMIInfo KindOfInfo, TMIInfo KindOfSearch);
    // A text value by name known without asking (brought back with the opening).
    void remember(TMIStreamKind StreamKind, int StreamNumber, const QString& Parameter, const QString& value);
    // The values of the file that was open.
    void forget() { answers.clear(); }

private:
    void* Fhandle = nullptr; // the library's own pointer to one analysis
    bool ownsLibrary = true;
    QHash<QString, QString> answers; // text values by name of the open file
};

} // namespace filmarch
