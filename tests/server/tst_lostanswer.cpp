// The connection breaks at the very moment a new line is committed: either the
// server wrote it and its answer never came back, or the commit never reached the
// server. Whatever the site learns of the outcome, the line saved again once the
// server is back is on the server exactly once, with what was typed last. The
// connection runs through a proxy of the test's own that cuts it at COMMIT.
#include "store/DataStore.h"
#include "store/EngineError.h"
#include "store/Table.h"
#include "store/internal/TableStorage.h"
#include "support/core/TempDataDir.h"
#include "support/core/TestServer.h"

#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace jadl;

namespace {

// A TCP relay between the program and the server that can break the connection
// at the next COMMIT the program sends, and refuse new connections meanwhile.
class CuttingProxy {
public:
    enum class Cut { Nothing, AfterAnswer, BeforeServer };

    explicit CuttingProxy(int serverPort) : serverPort_(serverPort)
    {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = loopback(0);
        if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::listen(listen_, 16) != 0)
            qFatal("proxy: no listening socket");
        socklen_t len = sizeof a;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { loop(); });
    }
    ~CuttingProxy()
    {
        stop_ = true;
        thread_.join();
        for (const Pair& p : pairs_)
            closePair(p);
        ::close(listen_);
    }
    CuttingProxy(const CuttingProxy&) = delete;
    CuttingProxy& operator=(const CuttingProxy&) = delete;

    int port() const { return port_; }
    // Armed for the next COMMIT only.
    std::atomic<Cut> cut{Cut::Nothing};
    std::atomic<bool> refuse{false};
    std::atomic<bool> cutDone{false};

private:
    struct Pair {
        int client, server;
    };

    static sockaddr_in loopback(int port)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(quint16(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }
    static void closePair(const Pair& p)
    {
        ::close(p.client);
        ::close(p.server);
    }
    static bool sendAll(int fd, const char* data, ssize_t n)
    {
        while (n > 0) {
            const ssize_t k = ::send(fd, data, size_t(n), MSG_NOSIGNAL);
            if (k <= 0)
                return false;
            data += k;
            n -= k;
        }
        return true;
    }

    void accept()
    {
        const int c = ::accept(listen_, nullptr, nullptr);
        if (c < 0)
            return;
        if (refuse) {
            ::close(c);
            return;
        }
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = loopback(serverPort_);
        if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(c);
            ::close(s);
            return;
        }
        pairs_.push_back({c, s});
    }

    // Relays one chunk; false when the pair is to be closed.
    bool relay(const Pair& p, bool fromClient)
    {
        char buf[65536];
        const ssize_t n = ::recv(fromClient ? p.client : p.server, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        const Cut armed = cut;
        if (fromClient && armed != Cut::Nothing &&
            QByteArray::fromRawData(buf, int(n)).contains(QByteArray("COMMIT\0", 7))) {
            cut = Cut::Nothing;
            if (armed == Cut::AfterAnswer) {
                // The server commits and answers; the answer goes nowhere.
                sendAll(p.server, buf, n);
                pollfd f{p.server, POLLIN, 0};
                if (::poll(&f, 1, 10000) == 1)
                    ::recv(p.server, buf, sizeof buf, 0);
            }
            cutDone = true;
            return false;
        }
        return sendAll(fromClient ? p.server : p.client, buf, n);
    }

    void loop()
    {
        while (!stop_) {
            std::vector<pollfd> fds{{listen_, POLLIN, 0}};
            for (const Pair& p : pairs_) {
                fds.push_back({p.client, POLLIN, 0});
                fds.push_back({p.server, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            if (fds[0].revents)
                accept();
            std::vector<Pair> kept;
            for (size_t i = 0; i < pairs_.size() && 1 + 2 * i < fds.size(); ++i) {
                const Pair p = pairs_[i];
                bool open = true;
                if (fds[1 + 2 * i].revents)
                    open = relay(p, true);
                if (open && fds[2 + 2 * i].revents)
                    open = relay(p, false);
                if (open)
                    kept.push_back(p);
                else
                    closePair(p);
            }
            for (size_t i = (fds.size() - 1) / 2; i < pairs_.size(); ++i)
                kept.push_back(pairs_[i]); // accepted during this round
            pairs_ = std::move(kept);
        }
    }

    int serverPort_, port_ = 0, listen_ = -1;
    std::atomic<bool> stop_{false};
    std::vector<Pair> pairs_;
    std::thread thread_;
};

int portOf(const QString& connection)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("port=(\\d+)")).match(connection);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

class TstLostAnswer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(test::onServer()); }
    void resentLineOnce_data();
    void resentLineOnce();
};

void TstLostAnswer::resentLineOnce_data()
{
    QTest::addColumn<int>("cut");
    QTest::addColumn<bool>("serverOutOfReach");
    QTest::addColumn<bool>("failureTold");
    using Cut = CuttingProxy::Cut;
    // Out of reach, the site cannot learn the outcome: the line waits typed.
    QTest::newRow("written, answer lost, out of reach") << int(Cut::AfterAnswer) << true << true;
    QTest::newRow("not written, out of reach") << int(Cut::BeforeServer) << true << true;
    // In reach, the site asks the server what became of the commit.
    QTest::newRow("written, answer lost, fate asked") << int(Cut::AfterAnswer) << false << false;
    QTest::newRow("not written, fate asked") << int(Cut::BeforeServer) << false << true;
}

void TstLostAnswer::resentLineOnce()
{
    QFETCH(int, cut);
    QFETCH(bool, serverOutOfReach);
    QFETCH(bool, failureTold);
    const test::TempDataDir dir;
    const QString direct = qEnvironmentVariable("JADL_DATABASE");
    CuttingProxy proxy(portOf(direct));
    const QString viaProxy = QString(direct).replace(QRegularExpression(QStringLiteral("port=\\d+")),
                                                     QStringLiteral("port=%1").arg(proxy.port()));
    qputenv("JADL_DATABASE", viaProxy.toUtf8());
    {
        Table lines;
        lines.setDatabaseName(QStringLiteral("jadlonia"));
        lines.setTableName(QStringLiteral("Towary.DB"));
        lines.open();
        lines.append();
        lines.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("ciete"));
        lines.fieldByName(QStringLiteral("WartoscNetto")).setFloat(1.25);

        proxy.refuse = serverOutOfReach;
        proxy.cut = CuttingProxy::Cut(cut);
        bool told = false;
        try {
            lines.post();
        } catch (const ConnectionLost& e) {
            told = true;
            QVERIFY2(e.message().contains(serverDisplayName(viaProxy)), qPrintable(e.message()));
            // In reach, a commit that never arrived may still be in progress when asked.
            if (serverOutOfReach)
                QVERIFY(e.outcomeUnknown());
        }
        QVERIFY(proxy.cutDone);
        QCOMPARE(told, failureTold);
        if (told) {
            // The line waits as typed; the user corrects it and saves it once the server is back.
            QCOMPARE(lines.state(), DataSetState::Insert);
            lines.fieldByName(QStringLiteral("WartoscNetto")).setFloat(2.5);
            proxy.refuse = false;
            lines.post();
        }
        QCOMPARE(lines.state(), DataSetState::Browse);
        const QList<QStringList> onServer = test::serverRows(
            QStringLiteral("SELECT WartoscNetto FROM Towary WHERE Symbol = 'ciete'"));
        QCOMPARE(onServer, (QList<QStringList>{{told ? QStringLiteral("2.5") : QStringLiteral("1.25")}}));
        lines.refresh();
        QCOMPARE(lines.recordCount(), 1);
    }
    pgstorage::disconnectAll();
}

QTEST_GUILESS_MAIN(TstLostAnswer)
#include "tst_lostanswer.moc"
