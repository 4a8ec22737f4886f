#include "cabinet/cabinet_fixture.h"

#include <algorithm>

namespace vantrel::test {

void PrintTo(const FoundFile& file, std::ostream* out) {
    *out << '{' << file.Path << '|' << file.FileName << ' ' << file.Size << ' '
         << file.Date.SortText() << '}';
}

std::filesystem::path CabinetTest::Host(const std::string& relative) const {
    return scratch_.Host(relative);
}

std::string CabinetTest::Windows(const std::string& relative) const {
    return scratch_.Windows(relative);
}

std::string CabinetTest::MakeGcabCabinet(const std::string& cabinet, const FileSet& files,
                                         bool compress) {
    const TempDir source;
    for (const auto& [name, content] : files) {
        const auto path = source.Path() / Utf8Path(name);
        std::filesystem::create_directories(path.parent_path());
        WriteFile(path, content);
    }
    std::filesystem::create_directories(Host(cabinet).parent_path());
    MakeCabWithGcab(Host(cabinet), source.Path(), compress);
    return Windows(cabinet);
}

std::string CabinetTest::WriteStoredCabinet(const std::string& cabinet,
                                            const std::vector<CabEntry>& entries) {
    std::filesystem::create_directories(Host(cabinet).parent_path());
    WriteFile(Host(cabinet), BuildStoredCab(entries));
    return Windows(cabinet);
}

std::string CabinetTest::CopyFixture(const std::string& name) {
    std::filesystem::copy_file(FixturePath(name), Host(name));
    return Windows(name);
}

std::shared_ptr<CabFile> CabinetTest::CabFor(const std::string& windowsCabinet) const {
    auto cab = CabFile::Create();
    cab->SetCabName(windowsCabinet);
    return cab;
}

std::vector<FoundFile> CabinetTest::Listing(CabFile& cab, const std::string& argument) {
    std::vector<FoundFile> found;
    cab.FileFound = [&](const std::string& FileName, const DateTime& Date, std::int32_t Size,
                        const std::string& Path) {
        found.push_back({FileName, Date, Size, Path});
    };
    EXPECT_TRUE(cab.GetInfo(argument));
    cab.FileFound = nullptr;
    return found;
}

std::vector<std::string> CabinetTest::Tree() const {
    return scratch_.Tree();
}

}  // namespace vantrel::test
