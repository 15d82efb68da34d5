#pragma once
#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>
// Google Benchmark glue: a main() with a Qt core application, and the counters
// every benchmark reports next to its own time.
#include "support/BenchSupport.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>

namespace jadl::bench {

// A window's control by its object name, as an outside UI tool finds it.
template <class T>
T* child(const QObject* window, const char* name)
{
    T* c = window->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        throw std::runtime_error(std::string("no control ") + name);
    return c;
}

// Runs the plain-sqlite3 version of the measured work as many times as the
// table engine ran (at least 3, at most ~0.5 s worth) and returns its mean time.
inline Stopwatch timeReference(qint64 engineRuns, const std::function<void()>& work)
{
    Stopwatch sw;
    const qint64 wanted = std::max<qint64>(3, engineRuns);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (sw.runs() < wanted && (sw.runs() < 3 || std::chrono::steady_clock::now() < deadline)) {
        sw.start();
        work();
        sw.stop();
    }
    return sw;
}

// engine_ms and sqlite3_ms are mean wall times of one run, ratio = engine / sqlite3;
// the *_cpu_ms and cpu_ratio counters are the same in process CPU time;
// target_ms, when given, is the time the engine should stay under.
inline void report(benchmark::State& state, const Stopwatch& engine, const Stopwatch& reference, double rows,
                   double targetMs = 0)
{
    state.counters["rows"] = rows;
    state.counters["engine_ms"] = engine.meanMs();
    state.counters["sqlite3_ms"] = reference.meanMs();
    state.counters["ratio"] = reference.meanMs() > 0 ? engine.meanMs() / reference.meanMs() : 0;
    state.counters["engine_cpu_ms"] = engine.meanCpuMs();
    state.counters["sqlite3_cpu_ms"] = reference.meanCpuMs();
    state.counters["cpu_ratio"] = reference.meanCpuMs() > 0 ? engine.meanCpuMs() / reference.meanCpuMs() : 0;
    if (targetMs > 0) {
        state.counters["target_ms"] = targetMs;
        state.counters["met"] = engine.meanMs() <= targetMs ? 1 : 0;
    }
}

// Runs a benchmark body, turning an exception into a skipped benchmark with its
// text rather than a crash of the whole run.
template <class Body>
void guarded(benchmark::State& state, Body&& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Every benchmark's main(): offscreen unless told otherwise, an application of
// type App (QApplication for windows), the data set made before any timing.
template <class App>
int runBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    try {
        ensureData();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "no benchmark data: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace jadl::bench

// The main() of a benchmark without windows.
#define JADL_BENCHMARK_MAIN()                                                                                          \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        return jadl::bench::runBenchmarks<QCoreApplication>(argc, argv);                                               \
    }
