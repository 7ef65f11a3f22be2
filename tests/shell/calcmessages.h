#pragma once
// The messages the calculation gives, as its sources write them, and those it composes: the list that
// the error-help file and the manual must both explain.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

namespace qorva::test {

inline std::set<std::string> CalculationMessages(size_t shortest) {
  const std::filesystem::path source = QORVA_SOURCE_DIR;
  const std::regex literal(R"re((AddErrorMsg|Fatal|stop)\("([^"]*)")re");
  std::set<std::string> texts;
  for (const char* folder : {"spring", "foundation"}) {
    for (const auto& e : std::filesystem::recursive_directory_iterator(source / folder)) {
      if (e.path().extension() != ".cpp") continue;
      std::ifstream in(e.path());
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      for (std::sregex_iterator m(text.begin(), text.end(), literal), end; m != end; ++m) {
        std::string s = (*m)[2];
        if ((*m)[1] != "AddErrorMsg") s = "Fatal  : " + s;  // the calculation's own stops
        if (s.size() >= shortest) texts.insert(s);
      }
    }
  }
  for (const char* name : {"De", "Di", "b", "t"})
    for (const char* what : {" invalid !", " = 0 !", " <= 0 !", " > 10 m !"})
      texts.insert(std::string("Fatal  : ") + name + what);
  texts.insert("Fatal  : yeb9wst DBF error");
  texts.insert("Load cycles (pow)");
  return texts;
}

}  // namespace qorva::test
