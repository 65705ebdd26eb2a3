#include "media/MediaInfoDll.h"

#include "platform/Error.h"

#include <QFile>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <dlfcn.h>
#include <langinfo.h>
#include <strings.h>
#include <vector>

namespace filmarch {

namespace {

// The library's C signatures; its enumerations are passed as int.
using NewFn = void* (*)();
using DeleteFn = void (*)(void*);
using OpenFn = size_t (*)(void*, const wchar_t*);
using CloseFn = void (*)(void*);
using InformFn = const wchar_t* (*)(void*, size_t);
using GetIFn = const wchar_t* (*)(void*, int, size_t, size_t, int);
using GetFn = const wchar_t* (*)(void*, int, size_t, const wchar_t*, int, int);
using OptionFn = const wchar_t* (*)(void*, const wchar_t*, const wchar_t*);
using StateGetFn = size_t (*)(void*);
using CountGetFn = size_t (*)(void*, int, size_t);
using ANewFn = void* (*)();
using ADeleteFn = void (*)(void*);
using AOpenFn = size_t (*)(void*, const char*);
using ACloseFn = void (*)(void*);
using AInformFn = const char* (*)(void*, size_t);
using AGetIFn = const char* (*)(void*, int, size_t, size_t, int);
using AGetFn = const char* (*)(void*, int, size_t, const char*, int, int);
using AOptionFn = const char* (*)(void*, const char*, const char*);
using AStateGetFn = size_t (*)(void*);
using ACountGetFn = size_t (*)(void*, int, size_t);

void* LibHandle = nullptr;
int libraryUsers = 0; // MesFonctionMediaInfo objects that loaded the library

// The twenty entry points, in the order they are resolved: the wide ones, then the 8-bit ones.
#define FILMARCH_MEDIAINFO_ENTRY_POINTS(X)                                                                             \
    X(NewFn, MediaInfo_New)                                                                                            \
    X(DeleteFn, MediaInfo_Delete)                                                                                      \
    X(OpenFn, MediaInfo_Open)                                                                                          \
    X(CloseFn, MediaInfo_Close)                                                                                        \
    X(InformFn, MediaInfo_Inform)                                                                                      \
    X(GetIFn, MediaInfo_GetI)                                                                                          \
    X(GetFn, MediaInfo_Get)                                                                                            \
    X(OptionFn, MediaInfo_Option)                                                                                      \
    X(StateGetFn, MediaInfo_State_Get)                                                                                 \
    X(CountGetFn, MediaInfo_Count_Get)                                                                                 \
    X(ANewFn, MediaInfoA_New)                                                                                          \
    X(ADeleteFn, MediaInfoA_Delete)                                                                                    \
    X(AOpenFn, MediaInfoA_Open)                                                                                        \
    X(ACloseFn, MediaInfoA_Close)                                                                                      \
    X(AInformFn, MediaInfoA_Inform)                                                                                    \
    X(AGetIFn, MediaInfoA_GetI)                                                                                        \
    X(AGetFn, MediaInfoA_Get)                                                                                          \
    X(AOptionFn, MediaInfoA_Option)                                                                                    \
    X(AStateGetFn, MediaInfoA_State_Get)                                                                               \
    X(ACountGetFn, MediaInfoA_Count_Get)

#define FILMARCH_DECLARE(type, name) type name = nullptr;
FILMARCH_MEDIAINFO_ENTRY_POINTS(FILMARCH_DECLARE)
#undef FILMARCH_DECLARE

// Why each entry point is empty, as the system said when it was looked up.
struct Missing {
    const char* name;
    QString reason;
};
std::vector<Missing> missingEntryPoints;

template <typename Fn>
bool MI_GetProcAddress(const char* Name, Fn& Addr)
{
    dlerror();
    Addr = reinterpret_cast<Fn>(dlsym(LibHandle, Name));
    if (Addr)
        return true;
    const char* why = dlerror();
    missingEntryPoints.push_back({Name, why ? QString::fromLocal8Bit(why) : QStringLiteral("symbole nul")});
    return false;
}

template <typename Fn>
void requireEntryPoint(const char* name, Fn entry)
{
    if (entry)
        return;
    QString reason = QStringLiteral("bibliothèque MediaInfo non chargée");
    for (const Missing& m : missingEntryPoints)
        if (std::strcmp(m.name, name) == 0)
            reason = m.reason;
    throw Error(
        QStringLiteral("Fonction %1 absente de la bibliothèque MediaInfo : %2").arg(QLatin1String(name), reason));
}

std::wstring toWide(const QString& text)
{
    std::wstring wide(size_t(text.size()) + 1, L'\0');
    wide.resize(size_t(text.toWCharArray(wide.data())));
    return wide;
}

bool characterSetIsUtf8()
{
    const char* codeset = nl_langinfo(CODESET);
    return codeset && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "UTF8") == 0);
}

} // namespace

void useUtf8FileNames()
{
    if (characterSetIsUtf8())
        return;
    if (!std::setlocale(LC_CTYPE, "") || !characterSetIsUtf8())
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

bool mediaInfoLoadable(const QString& library)
{
    void* handle = dlopen(QFile::encodeName(library).constData(), RTLD_LAZY | RTLD_LOCAL);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

bool MediaInfoDLL_Load(const QString& LibPath)
{
    if (!LibHandle)
        LibHandle = dlopen(QFile::encodeName(LibPath).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!LibHandle)
        return false;
    missingEntryPoints.clear();
#define FILMARCH_RESOLVE(type, name) MI_GetProcAddress(#name, name);
    FILMARCH_MEDIAINFO_ENTRY_POINTS(FILMARCH_RESOLVE)
#undef FILMARCH_RESOLVE
    return true;
}

void MediaInfoDLL_Unload()
{
    if (LibHandle)
        dlclose(LibHandle);
    LibHandle = nullptr;
#define FILMARCH_RESET(type, name) name = nullptr;
    FILMARCH_MEDIAINFO_ENTRY_POINTS(FILMARCH_RESET)
#undef FILMARCH_RESET
    missingEntryPoints.clear();
}

bool MediaInfoDLL_HasEntryPoint(const char* name)
{
    if (!LibHandle)
        return false;
    for (const Missing& m : missingEntryPoints)
        if (std::strcmp(m.name, name) == 0)
            return false;
    return true;
}

MesFonctionMediaInfo::MesFonctionMediaInfo(const QString& library)
{
    if (!MediaInfoDLL_Load(library)) {
        const char* why = dlerror();
        throw Error(QStringLiteral("Chargement de %1 impossible : %2")
                        .arg(library, why ? QString::fromLocal8Bit(why) : QStringLiteral("raison inconnue")));
    }
    ++libraryUsers;
    // Both programs' main do it first; this covers any other user of the
    // library (the tests), and costs nothing once the set is UTF-8.
    useUtf8FileNames();
}

MesFonctionMediaInfo::~MesFonctionMediaInfo()
{
    if (!ownsLibrary)
        return;
    // A handle left open would point into the library about to be unloaded.
    if (Fhandle && MediaInfoA_Delete)
        MediaInfoA_Delete(Fhandle);
    Fhandle = nullptr;
    if (--libraryUsers == 0)
        MediaInfoDLL_Unload();
}

void MesFonctionMediaInfo::New()
{
    // Check every entry point an analysis goes through before creating one, so
    // that a handle can always be released again.
    requireEntryPoint("MediaInfo_New", MediaInfo_New);
    requireEntryPoint("MediaInfo_Open", MediaInfo_Open);
    requireEntryPoint("MediaInfo_Get", MediaInfo_Get);
    requireEntryPoint("MediaInfoA_Delete", MediaInfoA_Delete);
    Delete();
    forget();
    errno = 0;
    Fhandle = MediaInfo_New();
    if (!Fhandle) {
        const int code = errno;
        throw Error(
            QStringLiteral("MediaInfo_New n'a pas créé d'analyse : erreur %1, %2").arg(code).arg(systemReason(code)));
    }
}

int MesFonctionMediaInfo::Open(const QString& AFileName)
{
    forget();
    if (!Fhandle)
        return 0;
    return MediaInfo_Open(Fhandle, toWide(AFileName).c_str()) != 0 ? 1 : 0;
}

namespace {

QString answerKey(TMIStreamKind kind, int number, const QString& parameter)
{
    return QString::number(int(kind)) + u'/' + QString::number(number) + u'/' + parameter;
}

} // namespace

QString MesFonctionMediaInfo::Get(
    TMIStreamKind StreamKind, int StreamNumber, const QString& Parameter, TMIInfo KindOfInfo, TMIInfo KindOfSearch)
{
    if (StreamNumber < 0)
        return {}; // as the library answers
    if (KindOfInfo != Info_Text || KindOfSearch != Info_Name)
        return ask(StreamKind, StreamNumber, Parameter, KindOfInfo, KindOfSearch);
    const QString key = answerKey(StreamKind, StreamNumber, Parameter);
    const auto known = answers.constFind(key);
    if (known != answers.cend())
        return *known;
    QString value = ask(StreamKind, StreamNumber, Parameter, KindOfInfo, KindOfSearch);
    answers.insert(key, value);
    return value;
}

void MesFonctionMediaInfo::remember(
    TMIStreamKind StreamKind, int StreamNumber, const QString& Parameter, const QString& value)
{
    answers.insert(answerKey(StreamKind, StreamNumber, Parameter), value);
}

QString MesFonctionMediaInfo::ask(
    TMIStreamKind StreamKind, int StreamNumber, const QString& Parameter, TMIInfo KindOfInfo, TMIInfo KindOfSearch)
{
    if (!Fhandle)
        return {};
    const wchar_t* answer =
        MediaInfo_Get(Fhandle, StreamKind, size_t(StreamNumber), toWide(Parameter).c_str(), KindOfInfo, KindOfSearch);
    // The answer lives only until the next call on this handle: copy it now.
    return answer ? QString::fromWCharArray(answer, qsizetype(std::wcslen(answer))) : QString();
}

void MesFonctionMediaInfo::Delete()
{
    forget();
    if (Fhandle)
        MediaInfoA_Delete(Fhandle);
    Fhandle = nullptr;
}

} // namespace filmarch
