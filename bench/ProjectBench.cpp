// Speed of opening a large project: 10,000 nodes built straight from the record layout,
// once as one wide chain (10,000 children of a single top-level node) and once as one
// deep chain (each node the only child of the one before), each loaded into the tree
// view, then one top-level node added to it. The same shapes at 2,500 nodes show how the
// time grows with the node count.
// Every run is a child process of its own, so a shape that brings the loader down is
// reported and the others still measured.

#include "fuzz/targets/ProjectImage.h"
#include "fuzz/targets/SilentDialogs.h"
#include "project/ProjectContext.h"
#include "project/ProjectFiles.h"
#include "project/TreeOperations.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kNodes = 10000;
constexpr int kSmallerNodes = 2500;

std::vector<int> ParentsOf(const char* shape, int nodes)
{
    std::vector<int> parents(static_cast<size_t>(nodes));
    for (int i = 0; i < nodes; ++i) {
        if (std::strcmp(shape, "deep") == 0)
            parents[static_cast<size_t>(i)] = i - 1;  // node 0 gets -1: top level
        else
            parents[static_cast<size_t>(i)] = i == 0 ? -1 : 0;
    }
    return parents;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int MeasureShape(const char* shape, int nodes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("Bench.QVR");
    const auto buildStart = std::chrono::steady_clock::now();
    const fuzz::ProjectImage image = fuzz::ProjectImage::FromParents(ParentsOf(shape, nodes));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image.Bytes()) != image.Bytes().size()) return 1;
    file.close();
    const double buildMs = MillisecondsSince(buildStart);

    fuzz::SilentDialogs dialogs;
    project::ProjectState state;
    project::TreeView tree;
    const project::ProjectContext ctx{state, tree, dialogs};
    const auto loadStart = std::chrono::steady_clock::now();
    const int result = project::LoadProjectTree(ctx, path);
    const double loadMs = MillisecondsSince(loadStart);

    state.ProjectPath = path;
    const auto addStart = std::chrono::steady_clock::now();
    project::AddTopNode(ctx);
    const double addMs = MillisecondsSince(addStart);

    std::printf("  %-4s chain of %5d nodes (%4.1f MB): built in %6.1f ms, loaded into the tree view in %7.1f ms"
                " (%5.1f us per node), one node added in %6.1f ms; result %d, %d nodes shown, %d messages\n",
                shape, nodes, image.Bytes().size() / 1e6, buildMs, loadMs, loadMs * 1000 / nodes, addMs, result,
                tree.Count(), dialogs.messages);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--shape") == 0) return MeasureShape(argv[2], std::atoi(argv[3]));

    std::printf("ProjectBench: opening a project of %d nodes\n", kNodes);
    std::fflush(stdout);
    int status = 0;
    for (const char* shape : {"wide", "deep"}) {
        for (const int nodes : {kSmallerNodes, kNodes}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(), {"--shape", shape, QString::number(nodes)});
            child.waitForFinished(-1);
            if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
                std::printf("  %-4s chain of %5d nodes: the load did not finish (%s, code %d)\n", shape, nodes,
                            child.exitStatus() == QProcess::CrashExit ? "crashed" : "failed", child.exitCode());
                std::fflush(stdout);
                status = 1;
            }
        }
    }
    return status;
}
