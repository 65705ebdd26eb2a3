#pragma once
// A cpp-httplib server on 127.0.0.1, on a free port, serving from its own thread
// for the life of the object.
#include <httplib.h>

#include <QString>

#include <stdexcept>
#include <thread>

namespace filmarch::test {

class LoopbackServer {
public:
    httplib::Server server;

    // Routes are added to `server` before start().
    void start()
    {
        port = server.bind_to_any_port("127.0.0.1");
        if (port <= 0)
            throw std::runtime_error("no loopback port");
        worker = std::thread([this] { server.listen_after_bind(); });
        // stop() only acts on a running server: wait for the loop before handing out.
        while (!server.is_running())
            std::this_thread::yield();
    }

    ~LoopbackServer()
    {
        server.stop();
        if (worker.joinable())
            worker.join();
    }

    QString url(const char* path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QLatin1String(path));
    }

private:
    int port = 0;
    std::thread worker;
};

} // namespace filmarch::test
