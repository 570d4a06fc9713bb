// Runs a fuzz target without libFuzzer: over the files named on the command line, then over a
// fixed number of pseudo-random inputs built from number-like pieces. Keeps the targets exercised
// by the ordinary test suite and by the sanitizer build.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void run(const std::string& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        run(std::string(std::istreambuf_iterator<char>(file), {}));
    }

    const std::vector<std::string> pieces = { "0", "1", "5", "9", "00", ".", ",", "e", "E", "+",
        "-", " ", "\t", "e308", "e-308", "E+15", "1e400", "9999999999999999", "\xef\xbc\x91",
        "\xef\xbc\x8e", "\xef\xbc\x8c", "\xef\xbc\x8d", "\xef\xbc\xa5", "\xe3\x80\x80", "\xef\xbc",
        "\xe6\x96\xb9", "a", "\0", "\x04", "\x10", "\x21", "\xf3" };
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<int> byte(0, 255);
    constexpr int inputs = 200000;
    for (int i = 0; i < inputs; ++i) {
        std::string input;
        const int count = length(random);
        for (int j = 0; j < count; ++j) {
            if (i % 3 == 0)
                input.push_back(static_cast<char>(byte(random)));
            else
                input += pieces[pick(random)];
        }
        run(input);
    }
    std::printf("%d inputs, no failure\n", inputs);
    return 0;
}
