// The files that the build puts beside Ramvane.exe for the program to open:
// the alarm tone Alert.wav (played with PlaySoundA) and the help file Help.chm
// (opened through the shell).
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "driver/TestDriver.h"

namespace {
std::string ProgramFile(const char* name) { return driver::ProgramDir() + "\\" + name; }
std::string HelpSource(const char* name) { return std::string(MNEMORA_SOURCE_DIR) + "\\help\\" + name; }

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// ---- Alert.wav, read through the multimedia I/O functions that PlaySoundA uses ----

class MmioFile {
public:
    explicit MmioFile(const std::string& path) {
        std::vector<char> name(path.begin(), path.end());
        name.push_back('\0');
        h_ = mmioOpenA(name.data(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
    }
    MmioFile(const MmioFile&) = delete;
    MmioFile& operator=(const MmioFile&) = delete;
    ~MmioFile() {
        if (h_) mmioClose(h_, 0);
    }
    HMMIO get() const { return h_; }

private:
    HMMIO h_ = nullptr;
};

struct Wave {
    PCMWAVEFORMAT format{};
    std::vector<std::int16_t> samples;  // only filled for 16-bit data
    DWORD dataBytes = 0;
};

// Finds the WAVE form, its 'fmt ' and its 'data' chunk; an error text on failure.
std::string ReadWave(const std::string& path, Wave& wave) {
    MmioFile file(path);
    if (!file.get()) return "mmioOpen failed";
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(file.get(), &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return "no RIFF WAVE form";
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(file.get(), &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return "no 'fmt ' chunk";
    if (chunk.cksize < sizeof wave.format) return "'fmt ' chunk too short";
    const LONG formatBytes = sizeof wave.format;
    if (mmioRead(file.get(), reinterpret_cast<HPSTR>(&wave.format), formatBytes) != formatBytes)
        return "cannot read 'fmt '";
    mmioAscend(file.get(), &chunk, 0);
    chunk = MMCKINFO{};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(file.get(), &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return "no 'data' chunk";
    wave.dataBytes = chunk.cksize;
    if (wave.format.wBitsPerSample == 16) {
        wave.samples.resize(chunk.cksize / 2);
        LONG want = static_cast<LONG>(wave.samples.size() * 2);
        if (mmioRead(file.get(), reinterpret_cast<HPSTR>(wave.samples.data()), want) != want) return "short 'data'";
    }
    return "";
}

class ProgramFilesAlert : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error = ReadWave(ProgramFile("Alert.wav"), wave_);
        ASSERT_EQ(error, "") << ProgramFile("Alert.wav");
    }
    Wave wave_;
};

// A sample counts as silent at or below this magnitude (of 32767).
constexpr int kSilent = 1;
// This many silent samples in a row are a pause between beeps (2 ms at 22050 Hz).
constexpr size_t kPause = 44;
// The first and last sample of a beep stay below 2 % of full scale.
constexpr int kSoftEdge = 655;

// First and last sounding sample of a beep.
struct Stretch {
    size_t first, last;
};

// The stretches of sound between pauses, in order.
std::vector<Stretch> SoundStretches(const std::vector<std::int16_t>& s) {
    auto silent = [&](size_t i) { return std::abs(int(s[i])) <= kSilent; };
    std::vector<Stretch> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && silent(i)) ++i;
        if (i == s.size()) break;
        Stretch b{i, i};
        for (size_t quiet = 0; i < s.size(); ++i) {
            if (!silent(i)) {
                quiet = 0;
                b.last = i;
            } else if (++quiet >= kPause) {
                break;
            }
        }
        out.push_back(b);
    }
    return out;
}
}  // namespace

TEST_F(ProgramFilesAlert, IsPcmThatWindowsCanPlay) {
    const WAVEFORMAT& f = wave_.format.wf;
    EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(wave_.format.wBitsPerSample, 16);
    EXPECT_GE(f.nChannels, 1);
    EXPECT_LE(f.nChannels, 2);
    EXPECT_GE(f.nSamplesPerSec, 8000u);
    EXPECT_LE(f.nSamplesPerSec, 48000u);
    EXPECT_EQ(f.nBlockAlign, f.nChannels * wave_.format.wBitsPerSample / 8);
    EXPECT_EQ(f.nAvgBytesPerSec, f.nSamplesPerSec * f.nBlockAlign);
    ASSERT_GT(f.nBlockAlign, 0);
    EXPECT_EQ(wave_.dataBytes % f.nBlockAlign, 0u);
}

// The alarm plays synchronously once a second while memory is low: it must be
// short, audible and free of clipping.
TEST_F(ProgramFilesAlert, IsAShortAudibleTone) {
    ASSERT_GT(wave_.format.wf.nAvgBytesPerSec, 0u);
    double seconds = double(wave_.dataBytes) / wave_.format.wf.nAvgBytesPerSec;
    EXPECT_GE(seconds, 0.3);
    EXPECT_LE(seconds, 2.0);
    ASSERT_FALSE(wave_.samples.empty());
    int peak = 0;
    size_t sounding = 0;
    for (std::int16_t s : wave_.samples) {
        int m = std::abs(int(s));
        peak = std::max(peak, m);
        if (m > 1000) ++sounding;
    }
    EXPECT_GE(peak, 8192) << "too quiet";
    EXPECT_LT(peak, 32767) << "clipped";
    EXPECT_GE(sounding * 4, wave_.samples.size()) << "mostly silence";
}

// Each beep fades in from silence and out into it: a hard edge would click.
TEST_F(ProgramFilesAlert, BeepsStartAndStopSoftly) {
    std::vector<Stretch> sounds = SoundStretches(wave_.samples);
    EXPECT_GE(sounds.size(), 2u) << "expected beeps separated by pauses";
    for (const Stretch& b : sounds) {
        EXPECT_LT(std::abs(int(wave_.samples[b.first])), kSoftEdge) << "abrupt start at sample " << b.first;
        EXPECT_LT(std::abs(int(wave_.samples[b.last])), kSoftEdge) << "abrupt end at sample " << b.last;
    }
}

// ---- Help.chm: an ITSF archive whose directory lists the compiled pages ----

// Windows' own reader of compiled help files (itss.dll), which the help viewer uses.
// The SDK declares it in a header MinGW lacks; only the methods up to the one called
// are needed, in their order in the interface. It must not sit in an unnamed
// namespace: the optimizer would see that nothing here implements it and drop the
// call as unreachable.
static const CLSID kClsidITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
static const IID kIidITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {
std::uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}
std::uint64_t Le64(const std::vector<unsigned char>& b, size_t at) {
    return Le32(b, at) | std::uint64_t(Le32(b, at + 4)) << 32;
}

// Variable-length number of the directory: 7 bits a byte, high bit = more follow.
bool ReadEncInt(const std::vector<unsigned char>& b, size_t& at, size_t end, std::uint64_t& value) {
    value = 0;
    for (int n = 0; at < end && n < 10; ++n) {
        unsigned char c = b[at++];
        value = value << 7 | (c & 0x7F);
        if (!(c & 0x80)) return true;
    }
    return false;
}

struct ChmEntry {
    std::string name;
    std::uint64_t section = 0, offset = 0, length = 0;
};

// Walks the listing chunks (PMGL) of the archive's directory; an error text on failure.
std::string ReadChmDirectory(const std::vector<unsigned char>& b, std::vector<ChmEntry>& entries) {
    if (b.size() < 0x60 || std::string(b.begin(), b.begin() + 4) != "ITSF") return "no ITSF signature";
    std::uint64_t dirAt = Le64(b, 0x48), dirLength = Le64(b, 0x50);
    if (dirAt + 0x54 > b.size() || dirAt + dirLength > b.size()) return "directory outside the file";
    size_t dir = static_cast<size_t>(dirAt);
    if (std::string(b.begin() + dir, b.begin() + dir + 4) != "ITSP") return "no ITSP directory header";
    std::uint32_t headerLength = Le32(b, dir + 8), chunkSize = Le32(b, dir + 0x10);
    std::int32_t chunk = static_cast<std::int32_t>(Le32(b, dir + 0x20));
    std::uint32_t chunkCount = Le32(b, dir + 0x2C);
    if (chunkSize < 0x20) return "bad chunk size";
    for (std::uint32_t walked = 0; chunk != -1; ++walked) {
        if (walked > chunkCount || chunk < 0) return "broken chunk chain";
        size_t start = dir + headerLength + size_t(chunk) * chunkSize;
        if (start + chunkSize > b.size()) return "chunk outside the file";
        if (std::string(b.begin() + start, b.begin() + start + 4) != "PMGL") return "not a listing chunk";
        size_t at = start + 0x14, end = start + chunkSize - Le32(b, start + 4);
        while (at < end) {
            std::uint64_t nameLength;
            ChmEntry e;
            if (!ReadEncInt(b, at, end, nameLength) || at + nameLength > end) return "bad entry name";
            e.name.assign(b.begin() + at, b.begin() + at + nameLength);
            at += nameLength;
            if (!ReadEncInt(b, at, end, e.section) || !ReadEncInt(b, at, end, e.offset) ||
                !ReadEncInt(b, at, end, e.length))
                return "bad entry " + e.name;
            entries.push_back(e);
        }
        chunk = static_cast<std::int32_t>(Le32(b, start + 0x10));
    }
    return "";
}

// The files of the project's [FILES] section, as the help sources list them.
std::vector<std::string> ProjectFiles() {
    std::istringstream in(ReadText(HelpSource("Help.hhp")));
    std::vector<std::string> files;
    bool inFiles = false;
    for (std::string line; std::getline(in, line);) {
        line.erase(line.find_last_not_of(" \t\r") + 1);
        if (!line.empty() && line[0] == '[') inFiles = line == "[FILES]";
        else if (inFiles && !line.empty()) files.push_back(line);
    }
    return files;
}

template <class T>
struct ComRelease {
    T* p = nullptr;
    ComRelease() = default;
    ComRelease(const ComRelease&) = delete;
    ComRelease& operator=(const ComRelease&) = delete;
    ~ComRelease() {
        if (p) p->Release();
    }
};

// The decompressed text of one page of `chm`, read through itss; an error text on failure.
std::string ReadHelpPage(const std::string& chm, const wchar_t* page, std::string& text) {
    ComRelease<IITStorage> its;
    HRESULT hr = CoCreateInstance(kClsidITStorage, nullptr, CLSCTX_INPROC_SERVER, kIidITStorage,
                                  reinterpret_cast<void**>(&its.p));
    if (FAILED(hr)) return "no ITStorage";
    std::wstring path(chm.begin(), chm.end());
    ComRelease<IStorage> storage;
    hr = its.p->StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &storage.p);
    if (FAILED(hr)) return "StgOpenStorage failed";
    ComRelease<IStream> stream;
    hr = storage.p->OpenStream(page, nullptr, STGM_READ, 0, &stream.p);
    if (FAILED(hr)) return "OpenStream failed";
    char buffer[4096];
    ULONG got = 0;
    while (SUCCEEDED(stream.p->Read(buffer, sizeof buffer, &got)) && got > 0) text.append(buffer, got);
    return "";
}

class ProgramFilesHelp : public ::testing::Test {
protected:
    void SetUp() override {
        bytes_ = ReadBytes(ProgramFile("Help.chm"));
        ASSERT_FALSE(bytes_.empty()) << ProgramFile("Help.chm");
        std::string error = ReadChmDirectory(bytes_, entries_);
        ASSERT_EQ(error, "");
        for (const ChmEntry& e : entries_) byName_[Lower(e.name)] = e.length;
    }
    // Length of the stored file (names are case-insensitive; a page's name gets its
    // leading slash here), -1 when absent.
    long long Stored(const std::string& name) const {
        auto it = byName_.find(Lower(name.compare(0, 2, "::") == 0 ? name : "/" + name));
        return it == byName_.end() ? -1 : static_cast<long long>(it->second);
    }
    std::vector<unsigned char> bytes_;
    std::vector<ChmEntry> entries_;
    std::map<std::string, std::uint64_t> byName_;
};
}  // namespace

TEST_F(ProgramFilesHelp, IsACompiledHelpArchive) {
    EXPECT_EQ(Le32(bytes_, 4), 3u) << "ITSF version";
    // The viewer needs the system file (title, default topic) and the window definition.
    EXPECT_GT(Stored("#SYSTEM"), 0);
    EXPECT_GT(Stored("#WINDOWS"), 0);
    EXPECT_GT(Stored("#TOPICS"), 0);
    EXPECT_GT(Stored("mainwindow.htm"), 0);
    // Files of section 0 (among them the compressed stream of all pages) start at the
    // offset in the header; a cut-off copy loses their ends.
    std::uint64_t section0 = Le64(bytes_, 0x58);
    EXPECT_GT(Stored("::DataSpace/Storage/MSCompressed/Content"), 0);
    for (const ChmEntry& e : entries_) {
        if (e.section != 0) continue;
        EXPECT_LE(section0 + e.offset + e.length, bytes_.size()) << e.name;
    }
}

TEST_F(ProgramFilesHelp, HoldsEveryFileOfTheProject) {
    std::vector<std::string> files = ProjectFiles();
    ASSERT_GE(files.size(), 10u);
    for (const std::string& f : files) EXPECT_GT(Stored(f), 0) << f;
    EXPECT_GT(Stored("Help.hhc"), 0);
    EXPECT_GT(Stored("Help.hhk"), 0);
}

TEST_F(ProgramFilesHelp, ContentsAndIndexPointAtStoredPages) {
    std::regex local(R"re(name="Local"\s+value="([^"#]+))re", std::regex::icase);
    for (const char* sitemap : {"Help.hhc", "Help.hhk"}) {
        std::string text = ReadText(HelpSource(sitemap));
        size_t targets = 0;
        for (std::sregex_iterator it(text.begin(), text.end(), local), end; it != end; ++it, ++targets)
            EXPECT_GT(Stored((*it)[1]), 0) << sitemap << ": " << (*it)[1];
        EXPECT_GE(targets, 10u) << sitemap;
    }
}

// The pages come out of Windows' own reader as they went in: the compressed
// content is readable by the help viewer, not only listed.
TEST_F(ProgramFilesHelp, WindowsReadsThePagesBack) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    for (const char* page : {"mainwindow.htm", "settings.htm", "registry.htm"}) {
        std::string text;
        std::wstring name(page, page + std::strlen(page));
        std::string error = ReadHelpPage(ProgramFile("Help.chm"), name.c_str(), text);
        EXPECT_EQ(error, "") << page;
        std::string source = ReadText(HelpSource(page));
        EXPECT_TRUE(text == source) << page << ": read " << text.size() << " bytes, the source has " << source.size();
    }
    CoUninitialize();
}
