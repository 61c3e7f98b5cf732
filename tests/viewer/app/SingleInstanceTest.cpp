#include <gtest/gtest.h>

#include <QCoreApplication>

#include <sys/wait.h>
#include <unistd.h>

#include "SingleInstance.h"

namespace vantory {
namespace {

// Keys unique to this test run so a running viewer is never disturbed.
QString testKey(const char* name) {
    return QStringLiteral("VantoryTest_%1_%2").arg(QString::fromLatin1(name)).arg(::getpid());
}

TEST(SingleInstance, SecondHolderOfSameKeyIsRefused) {
    SingleInstance first(testKey("same"));
    SingleInstance second(testKey("same"));
    ASSERT_TRUE(first.acquire());
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(first.acquire());  // asking again keeps the marker
}

TEST(SingleInstance, DifferentKeysDoNotInterfere) {
    SingleInstance plain(testKey("plain"));
    SingleInstance three(testKey("plain3"));
    EXPECT_TRUE(plain.acquire());
    EXPECT_TRUE(three.acquire());
}

TEST(SingleInstance, MarkerIsFreedWithItsHolder) {
    {
        SingleInstance first(testKey("scoped"));
        ASSERT_TRUE(first.acquire());
    }
    SingleInstance again(testKey("scoped"));
    EXPECT_TRUE(again.acquire());
}

TEST(SingleInstance, MarkerOfCrashedProcessDoesNotCount) {
    const QString key = testKey("crashed");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto* leaked = new SingleInstance(key);  // never destroyed: the process dies holding it
        ::_exit(leaked->acquire() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    SingleInstance after(key);
    EXPECT_TRUE(after.acquire());
}

TEST(SingleInstance, LiveHolderInAnotherProcessRefuses) {
    const QString key = testKey("live");
    int toChild[2];
    int toParent[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(toParent), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance holder(key);
        const char ready = holder.acquire() ? 'y' : 'n';
        [[maybe_unused]] ssize_t w = ::write(toParent[1], &ready, 1);
        char done = 0;
        [[maybe_unused]] ssize_t r = ::read(toChild[0], &done, 1);  // hold until told
        ::_exit(0);
    }
    char ready = 0;
    ASSERT_EQ(::read(toParent[0], &ready, 1), 1);
    ASSERT_EQ(ready, 'y');

    SingleInstance second(key);
    EXPECT_FALSE(second.acquire());

    const char done = 1;
    ASSERT_EQ(::write(toChild[1], &done, 1), 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) ::close(fd);

    // The live holder ended without releasing (it used _exit): now the marker is stale.
    SingleInstance third(key);
    EXPECT_TRUE(third.acquire());
}

}  // namespace
}  // namespace vantory
