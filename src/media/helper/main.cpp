// filmarch-analyse LIBRARY: analyses, one at a time, the files a scan gives it
// with the MediaInfo library LIBRARY, in a process of its own. The library
// runs much of its work under locks that every analysis of one process shares;
// files analysed at once in processes of their own do not wait on each other.
// Requests come on standard input and answers go to standard output (see
// AnalysisWire.h); the program ends when its input ends or its parent does.
#include "media/AnalysisWire.h"
#include "media/MediaInfoDll.h"
#include "media/Traitement.h"
#include "platform/WriteAll.h"

#include <QString>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace filmarch;

namespace {

// The library, with every value an analysis asked of it written down.
class RecordingMediaInfo : public MesFonctionMediaInfo {
public:
    using MesFonctionMediaInfo::MesFonctionMediaInfo;
    std::vector<wire::Value> asked;

protected:
    QString ask(TMIStreamKind kind, int number, const QString& parameter, TMIInfo info, TMIInfo search) override
    {
        QString value = MesFonctionMediaInfo::ask(kind, number, parameter, info, search);
        if (info == Info_Text && search == Info_Name && number >= 0)
            asked.push_back({kind, number, parameter, value});
        return value;
    }
};

bool readFully(char* to, size_t size)
{
    while (size > 0) {
        const ssize_t got = ::read(0, to, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        to += got;
        size -= size_t(got);
    }
    return true;
}

bool writeFully(const QByteArray& bytes)
{
    return writeAll(1, bytes) == 0;
}

// The next request's fields; false at the end of the input or on a frame past the limit.
bool nextRequest(QByteArray& fields)
{
    char length[4];
    if (!readFully(length, 4))
        return false;
    const std::uint32_t size = wire::frameLength(length);
    if (size > wire::frameLimit)
        return false;
    fields.resize(qsizetype(size));
    return readFully(fields.data(), size);
}

// Opens the file and asks what the analysis of a film asks (the title filter
// aside: a value it leads to is asked by the scan afterwards).
QByteArray openFile(RecordingMediaInfo& media, std::unique_ptr<TTraitement>& film, const QString& path)
{
    film.reset();
    media.asked.clear();
    bool opened = false;
    try {
        media.New();
        opened = media.Open(path) != 0;
        if (opened) {
            film = std::make_unique<TTraitement>(path, false, media, [] { return QString(); });
            if (film->TestVideo) {
                film->Titre();
                film->readEveryValue();
            }
        } else {
            media.Delete();
        }
    } catch (const std::exception&) {
        // Whatever was asked so far is answered; the scan asks the rest itself.
    }
    wire::FrameWriter answer;
    answer.byte(opened ? 1 : 0).number(std::uint32_t(media.asked.size()));
    for (const wire::Value& v : media.asked)
        answer.value(v);
    return answer.frame();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    // Ends with the scan that started it, whatever way the scan ends, even in
    // the middle of a file (the end of its input is seen between files only).
    // The parent-death signal would follow the thread that started the
    // helper, not the scan.
    const pid_t parent = getppid();
    std::thread([parent] {
        while (getppid() == parent)
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        _exit(0);
    }).detach();
    // Ctrl-C is for the scan, which ends its helpers itself.
    std::signal(SIGINT, SIG_IGN);
    // The locale as the scan's own process has it.
    std::setlocale(LC_ALL, "");
    useUtf8FileNames();

    std::unique_ptr<RecordingMediaInfo> media;
    try {
        media = std::make_unique<RecordingMediaInfo>(QString::fromLocal8Bit(argv[1]));
    } catch (const std::exception&) {
        return 2;
    }
    if (!writeFully(wire::FrameWriter().byte('R').frame()))
        return 1;

    std::unique_ptr<TTraitement> film;
    QByteArray fields;
    while (nextRequest(fields)) {
        wire::FrameReader request(fields);
        QByteArray answer;
        switch (wire::Request(request.byte())) {
        case wire::Request::Open: {
            const QString path = request.text();
            if (!request.atEnd())
                return 1;
            answer = openFile(*media, film, path);
            break;
        }
        case wire::Request::Get: {
            const int kind = request.byte();
            const int number = int(request.number());
            const QString parameter = request.text();
            const int info = int(request.number());
            const int search = int(request.number());
            if (!request.atEnd() || kind < 0 || kind >= Stream_Max || info < 0 || info >= Info_Max || search < 0
                || search >= Info_Max)
                return 1;
            answer = wire::FrameWriter()
                         .text(media->Get(TMIStreamKind(kind), number, parameter, TMIInfo(info), TMIInfo(search)))
                         .frame();
            break;
        }
        case wire::Request::Close:
            film.reset();
            media->Delete();
            continue;
        default: return 1;
        }
        if (request.failed() || !writeFully(answer))
            return 1;
    }
    return 0;
}
