// Block codec benchmarks over a corpus of real files (bench/make-corpus.sh),
// each file its own block: our decoder against zlib's inflate of the same
// files compressed at level 9 and against memcpy, and our encoder per level
// against zlib's deflate at level 9. Sizes are reported as counters.
//
//   bench/make-corpus.sh && build/bench/codec_bench [--benchmark_filter=...]
//
// QB_BENCH_CORPUS names another corpus folder.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "block_encoder.h"
#include "payload/block_codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct CorpusFile {
    std::string name;  // file name in the corpus folder
    Bytes data;        // its bytes
};

const std::vector<CorpusFile>& corpus() {
    static const std::vector<CorpusFile> files = [] {
        const char* env = std::getenv("QB_BENCH_CORPUS");
        std::filesystem::path dir = env != nullptr ? env : QB_DEFAULT_CORPUS;
        std::vector<CorpusFile> out;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            out.push_back({entry.path().filename().string(), Bytes(std::istreambuf_iterator<char>(in), {})});
        }
        std::sort(out.begin(), out.end(), [](const CorpusFile& a, const CorpusFile& b) { return a.name < b.name; });
        if (out.empty()) std::fprintf(stderr, "no corpus in %s: run bench/make-corpus.sh\n", dir.string().c_str());
        return out;
    }();
    return files;
}

size_t corpusBytes() {
    size_t total = 0;
    for (const CorpusFile& f : corpus()) total += f.data.size();
    return total;
}

// Each file encoded at a level, kept for the decoding benchmarks.
const std::vector<Bytes>& encodedAt(int level) {
    static std::map<int, std::vector<Bytes>> cache;
    auto it = cache.find(level);
    if (it == cache.end()) {
        std::vector<Bytes> blocks;
        for (const CorpusFile& f : corpus()) blocks.push_back(encodeBlock(f.data.data(), f.data.size(), level));
        it = cache.emplace(level, std::move(blocks)).first;
    }
    return it->second;
}

Bytes deflate9(const Bytes& data) {
    uLongf size = compressBound(uLong(data.size()));
    Bytes out(size);
    compress2(out.data(), &size, data.data(), uLong(data.size()), 9);
    out.resize(size);
    return out;
}

const std::vector<Bytes>& zlibBlocks() {
    static const std::vector<Bytes> blocks = [] {
        std::vector<Bytes> out;
        for (const CorpusFile& f : corpus()) out.push_back(deflate9(f.data));
        return out;
    }();
    return blocks;
}

size_t totalSize(const std::vector<Bytes>& blocks) {
    size_t total = 0;
    for (const Bytes& b : blocks) total += b.size();
    return total;
}

size_t largestFile() {
    size_t largest = 0;
    for (const CorpusFile& f : corpus()) largest = std::max(largest, f.data.size());
    return largest;
}

void BM_Decode(benchmark::State& state) {
    int level = int(state.range(0));
    const std::vector<Bytes>& blocks = encodedAt(level);
    Bytes out(largestFile() + kBlockSpareBytes);
    for (auto _ : state) {
        for (size_t i = 0; i < blocks.size(); ++i) {
            size_t capacity = corpus()[i].data.size() + kBlockSpareBytes;
            if (!decodeBlockExact(blocks[i].data(), blocks[i].size(), out.data(), capacity,
                                  uint32_t(corpus()[i].data.size()))) {
                state.SkipWithError("decoding failed");
                return;
            }
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpusBytes()));
    state.counters["packed"] = double(totalSize(blocks));
}
BENCHMARK(BM_Decode)->Arg(kFastestLevel)->Arg(kBestLevel)->Unit(benchmark::kMillisecond);

void BM_Inflate(benchmark::State& state) {
    const std::vector<Bytes>& blocks = zlibBlocks();
    Bytes out(largestFile());
    for (auto _ : state) {
        for (size_t i = 0; i < blocks.size(); ++i) {
            uLongf size = uLongf(out.size());
            if (uncompress(out.data(), &size, blocks[i].data(), uLong(blocks[i].size())) != Z_OK) {
                state.SkipWithError("inflate failed");
                return;
            }
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpusBytes()));
    state.counters["packed"] = double(totalSize(blocks));
}
BENCHMARK(BM_Inflate)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state) {
    Bytes out(largestFile());
    for (auto _ : state) {
        for (const CorpusFile& f : corpus()) {
            std::memcpy(out.data(), f.data.data(), f.data.size());
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpusBytes()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_Encode(benchmark::State& state) {
    int level = int(state.range(0));
    size_t packed = 0;
    for (auto _ : state) {
        packed = 0;
        for (const CorpusFile& f : corpus()) packed += encodeBlock(f.data.data(), f.data.size(), level).size();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpusBytes()));
    state.counters["packed"] = double(packed);
    state.counters["vs_zlib9"] = double(packed) / double(totalSize(zlibBlocks()));
    state.SetLabel("packed " + std::to_string(packed) + " bytes");
}
BENCHMARK(BM_Encode)->DenseRange(kFastestLevel, kBestLevel)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Deflate9(benchmark::State& state) {
    size_t packed = 0;
    for (auto _ : state) {
        packed = 0;
        for (const CorpusFile& f : corpus()) packed += deflate9(f.data).size();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpusBytes()));
    state.counters["packed"] = double(packed);
    state.SetLabel("packed " + std::to_string(packed) + " bytes");
}
BENCHMARK(BM_Deflate9)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
