// The run stops asking a service that does not answer, and only then.
#include "filmdb/RequestGuard.h"
#include "platform/HttpClient.h"

#include <gtest/gtest.h>

using namespace filmarch;

TEST(RequestGuard, GivesUpAfterThreeTransportFailuresInARowAndSaysItOnce)
{
    const QString giveUp =
        QStringLiteral("Recherche abandonnée pour la suite du scan : le service ne répond pas (films.test)");
    const auto silent = [] { throw HttpError(QStringLiteral("muet"), 0, true); };
    const auto notFound = [] { throw HttpError(QStringLiteral("404"), 404, false); };
    const auto answered = [] {};
    struct Case {
        const char* name;
        std::vector<std::function<void()>> requests;
        bool stopped;
    };
    const std::vector<Case> cases = {
        {"three silences", {silent, silent, silent}, true},
        {"two silences", {silent, silent}, false},
        {"an answer resets the count", {silent, silent, answered, silent, silent}, false},
        {"an error answer is an answer", {silent, silent, notFound, silent, silent}, false},
    };
    for (const Case& c : cases) {
        RequestGuard guard;
        for (const auto& request : c.requests)
            try {
                guard.run(QStringLiteral("films.test"), request);
            } catch (const Error&) {
            }
        EXPECT_EQ(guard.stopped(), c.stopped) << c.name;
        EXPECT_EQ(guard.takeNotices(), c.stopped ? QStringList {giveUp} : QStringList {}) << c.name;
    }

    RequestGuard guard;
    for (int i = 0; i < 3; ++i)
        EXPECT_THROW(guard.run(QStringLiteral("films.test"), silent), HttpError);
    bool asked = false;
    EXPECT_THROW(guard.run(QStringLiteral("films.test"), [&] { asked = true; }), Error);
    EXPECT_FALSE(asked) << "no request once the run gave up";
    EXPECT_EQ(guard.takeNotices().size(), 1);
    EXPECT_TRUE(guard.takeNotices().isEmpty()) << "said once";
    guard.startRun();
    guard.run(QStringLiteral("films.test"), [&] { asked = true; });
    EXPECT_TRUE(asked) << "the next run asks again";
}
