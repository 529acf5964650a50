// Finds the program a user means by `--program`: a number, or a name from the plug-in's list.
#pragma once

#include <string>
#include <vector>

class ProgramMatcher {
public:
    // Any thread: `names` are the plug-in's program names, in program order.
    explicit ProgramMatcher(std::vector<std::string> names);

    // Any thread: the program index for `query`. The rule, first that applies:
    //  1. a whole decimal number is a program index, 0..count-1;
    //  2. a name equal to the query;
    //  3. a name equal to it ignoring case and surrounding blanks;
    //  4. the same, after dropping a leading number from each name ("3 Stadium Chant" is found
    //     by "Stadium Chant", "03. Choir" by "choir").
    // A step that finds more than one program is ambiguous and fails. Throws HostError (usage)
    // with the reason and the list of programs.
    int Find(const std::string& query) const;

    // Any thread: the name without a leading program number and its separator.
    static std::string WithoutNumber(const std::string& name);

private:
    std::string Listing() const;

    std::vector<std::string> names;
};
