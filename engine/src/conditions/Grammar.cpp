#include "Grammar.h"

namespace vornel::grammar {

namespace {

using enum Symbol;

constexpr std::array<std::string_view, 28> kSymbolTexts = {
    "|", "&", "+",    "-",     "*", "/", "(", ")", ">", "<", "=", ">=", "<=", "<>",
    "n", "i", "TRUE", "FALSE", "$", "S", "L", "R", "M", "E", "T", "F",  "D",  "C",
};

// Type category of each nonterminal, in the order S L R M E T F D C.
constexpr std::array<std::string_view, 9> kCategories = {"0", "0", "0", "0", "1",
                                                         "1", "1", "2", "2"};

constexpr std::array<Production, kProductionCount> kProductions = {{
    /*  1 */ {S, "S|L", 3, "0|0"},
    /*  2 */ {S, "L", 1, "L"},
    /*  3 */ {L, "L&R", 3, "0&0"},
    /*  4 */ {L, "R", 1, "R"},
    /*  5 */ {R, "(S)", 3, "(0)"},
    /*  6 */ {R, "M", 1, "M"},
    /*  7 */ {M, "E>E", 3, "1>1"},
    /*  8 */ {M, "E<E", 3, "1<1"},
    /*  9 */ {M, "E=E", 3, "1=1"},
    /* 10 */ {M, "E>=E", 3, "1>=1"},
    /* 11 */ {M, "E<=E", 3, "1<=1"},
    /* 12 */ {M, "E<>E", 3, "1<>1"},
    /* 13 */ {M, "TRUE", 1, "TRUE"},
    /* 14 */ {M, "FALSE", 1, "FALSE"},
    /* 15 */ {M, "D>D", 3, "2>2"},
    /* 16 */ {M, "D<D", 3, "2<2"},
    /* 17 */ {M, "D=D", 3, "2=2"},
    /* 18 */ {M, "D>=D", 3, "2>=2"},
    /* 19 */ {M, "D<=D", 3, "2<=2"},
    /* 20 */ {M, "D<>D", 3, "2<>2"},
    /* 21 */ {E, "E+T", 3, "1+1"},
    /* 22 */ {E, "E-T", 3, "1-1"},
    /* 23 */ {E, "T", 1, "T"},
    /* 24 */ {T, "T*F", 3, "1*1"},
    /* 25 */ {T, "T/F", 3, "1/1"},
    /* 26 */ {T, "F", 1, "F"},
    /* 27 */ {F, "(E)", 3, "(1)"},
    /* 28 */ {F, "n", 1, "n"},
    /* 29 */ {D, "D+C", 3, "2+2"},
    /* 30 */ {D, "C", 1, "C"},
    /* 31 */ {C, "(D)", 3, "(2)"},
    /* 32 */ {C, "i", 1, "i"},
}};

constexpr int Y = kYield;
constexpr int Q = kEqual;
constexpr int X = kTakes;
constexpr int N = kNoRelation;

// Rows: terminal on top of the stack; columns: incoming terminal.
// Y yields (shift), Q equal (shift; accept at "$" "$"), X takes precedence
// (reduce), N no relation.
//                  |  &  +  -  *  /  (  )  >  <  = >= <= <>  n  i  T  F  $
constexpr int kRelations[kTerminalCount][kTerminalCount] = {
    /*  1 |     */ {X, Y, Y, Y, Y, Y, Y, X, Y, Y, Y, Y, Y, Y, Y, Y, Y, Y, X},
    /*  2 &     */ {X, X, Y, Y, Y, Y, Y, X, Y, Y, Y, Y, Y, Y, Y, Y, Y, Y, X},
    /*  3 +     */ {X, X, X, X, Y, Y, Y, X, X, X, X, X, X, X, Y, Y, N, N, X},
    /*  4 -     */ {X, X, X, X, Y, Y, Y, X, X, X, X, X, X, X, Y, N, N, N, X},
    /*  5 *     */ {X, X, X, X, X, X, Y, X, X, X, X, X, X, X, Y, N, N, N, X},
    /*  6 /     */ {X, X, X, X, X, X, Y, X, X, X, X, X, X, X, Y, N, N, N, X},
    /*  7 (     */ {Y, Y, Y, Y, Y, Y, Y, Q, Y, Y, Y, Y, Y, Y, Y, Y, Y, Y, N},
    /*  8 )     */ {X, X, X, X, X, X, N, X, X, X, X, X, X, X, N, N, N, N, X},
    /*  9 >     */ {X, X, Y, Y, Y, Y, Y, X, N, N, N, N, N, N, Y, Y, N, N, X},
    /* 10 <     */ {X, X, Y, Y, Y, Y, Y, X, N, N, N, N, N, N, Y, Y, N, N, X},
    /* 11 =     */ {X, X, Y, Y, Y, Y, Y, X, N, N, N, N, N, N, Y, Y, N, N, X},
    /* 12 >=    */ {X, X, Y, Y, Y, Y, Y, X, N, N, N, N, N, N, Y, Y, N, N, X},
    /* 13 <=    */ {X, X, Y, Y, Y, Y, Y, X, N, N, N, N, N, N, Y, Y, N, N, X},
    /* 14 <>    */ {X, X, Y, Y, Y, Y, Y, X, N, N, N, N, N, N, Y, Y, N, N, X},
    /* 15 n     */ {X, X, X, X, X, X, N, X, X, X, X, X, X, X, N, N, N, N, X},
    /* 16 i     */ {X, X, X, N, N, N, N, X, X, X, X, X, X, X, N, N, N, N, X},
    /* 17 TRUE  */ {X, X, N, N, N, N, N, X, N, N, N, N, N, N, N, N, N, N, X},
    /* 18 FALSE */ {X, X, N, N, N, N, N, X, N, N, N, N, N, N, N, N, N, N, X},
    /* 19 $     */ {Y, Y, Y, Y, Y, Y, Y, N, Y, Y, Y, Y, Y, Y, Y, Y, Y, Y, Q},
};

constexpr char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

constexpr bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr bool ContainsIgnoringCase(std::string_view text, std::string_view key) {
    for (std::size_t start = 0; start + key.size() <= text.size(); ++start) {
        if (EqualIgnoringCase(text.substr(start, key.size()), key)) {
            return true;
        }
    }
    return false;
}

constexpr std::string_view CategoryOf(std::string_view symbol) {
    for (std::size_t k = 0; k < kCategories.size(); ++k) {
        if (EqualIgnoringCase(symbol, kSymbolTexts[kTerminalCount + k])) {
            return kCategories[k];
        }
    }
    return "";
}

constexpr int FindProductionByText(std::string_view topTerminal, std::string_view leftSymbol) {
    const std::string_view category = CategoryOf(leftSymbol);
    char key[8] = {};
    std::size_t length = 0;
    for (const char c : category)
        key[length++] = c;
    for (const char c : topTerminal) {
        if (length == sizeof key)
            return -1;
        key[length++] = c;
    }
    for (int p = 0; p < kProductionCount; ++p) {
        if (ContainsIgnoringCase(kProductions[p].pattern, std::string_view(key, length))) {
            return p + 1;
        }
    }
    return -1;
}

// The lookup depends only on the top terminal and the left symbol's
// category, so the parser reads it from a table built by the same scan.
constexpr auto kProductionTable = [] {
    std::array<std::array<std::int8_t, kTerminalCount>, 4> table{};
    constexpr std::string_view kCategoryRepresentatives[4] = {"$", "S", "E", "D"};
    for (int c = 0; c < 4; ++c) {
        for (int t = 0; t < kTerminalCount; ++t) {
            table[c][t] = static_cast<std::int8_t>(
                FindProductionByText(kSymbolTexts[t], kCategoryRepresentatives[c]));
        }
    }
    return table;
}();

constexpr int CategoryIndex(Symbol s) {
    switch (s) {
        case S:
        case L:
        case R:
        case M:
            return 1;
        case E:
        case T:
        case F:
            return 2;
        case D:
        case C:
            return 3;
        default:
            return 0;
    }
}

static_assert(FindProductionByText("<", "E") == 8);
static_assert(FindProductionByText(">=", "D") == 18);
static_assert(FindProductionByText(")", "M") == 5);

}  // namespace

std::string_view SymbolText(Symbol s) {
    return kSymbolTexts[static_cast<std::size_t>(s)];
}

const Production& GetProduction(int number) {
    return kProductions.at(static_cast<std::size_t>(number - 1));
}

int Relation(Symbol top, Symbol incoming) {
    return kRelations[static_cast<int>(top)][static_cast<int>(incoming)];
}

int FindProduction(std::string_view topTerminal, std::string_view leftSymbol) {
    return FindProductionByText(topTerminal, leftSymbol);
}

int FindProduction(Symbol topTerminal, Symbol leftSymbol) {
    if (!IsTerminal(topTerminal)) {
        return FindProductionByText(SymbolText(topTerminal), SymbolText(leftSymbol));
    }
    return kProductionTable[CategoryIndex(leftSymbol)][static_cast<int>(topTerminal)];
}

}  // namespace vornel::grammar
