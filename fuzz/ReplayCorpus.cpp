// Runs every file of the given folders through the fuzz target once, as the
// fuzzer would, so that the normal build checks the seed corpus.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size);

int main(int ArgumentCount, char** Arguments)
{
    size_t Replayed = 0;
    for (int Argument = 1; Argument < ArgumentCount; ++Argument)
        for (const auto& Entry : std::filesystem::directory_iterator(Arguments[Argument])) {
            std::ifstream File(Entry.path(), std::ios::binary);
            const std::string Bytes((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size());
            ++Replayed;
        }
    std::printf("%zu inputs replayed\n", Replayed);
    return Replayed > 0 ? 0 : 1;
}
