#pragma once
// The main of a benchmark of windows: Qt on the offscreen platform unless told otherwise, then every
// benchmark of the program.
#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace qv::bench {

inline int RunQtBenchmarks(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace qv::bench
