#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: the window's example expressions, a few
hand-picked edge cases, and every string literal of the engine tests (a
condition also inside an If block), each with the variables A to E holding
100 to 500. Run from anywhere; rewrites fuzz/corpus/."""

import codecs
import hashlib
import pathlib
import re

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent

EXAMPLES = [
    "If (A>100 & B<200 ) Then\r\n        B*C-(Max(D,E-100))\r\n"
    "ElseIf (A<100 | B>=100) Then\r\n        Ceil(B/5)+20*B-Min(E*10, A)\r\n"
    "ElseIf (A=100) Then\r\n        Round(B/5,3)*C-Min(E*20, D)\r\n"
    "Else\r\n        A*C-Round(E/12,2)\r\nEndIf",
    "If (B+C>=300) Then\r\n        A*100+Round(B/C,3)-Exp(D,2)\r\n"
    "Else\r\n        B*10+Floor(B/C)+Exp(A,3)\r\nEndIf",
    "A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)",
    "Round(1000*3+3200/13-Round(432*23/43,3)+6400/12,3)",
]

EDGES = [
    "(" * 256 + "7" + ")" * 256,
    "(" * 257 + "7" + ")" * 257,
    "IF (\"ab\"+\"cd\"=\"ABCD\") THEN 1 ELSE 2 ENDIF",
    "IF (MAX(A,B)>150 & ROUND(A/3,5)=33.333) THEN 1 ELSE 2 ENDIF",
    "IF (CEIL(40000)>1) THEN 1 ELSE 2 ENDIF",
    "IF (MAX()>1) THEN 1 ELSE 2 ENDIF",
    "IF (A>-5) THEN 1 ELSE 2 ENDIF",
    "IF (1<A<3) THEN 1 ELSE 2 ENDIF",
    "Exp(10,400)", "Exp(2,32767)", "Round(2,-1)", "Round(1.26,1.5)", "1.2.3", "2*-3",
    "Max(1,2,3)", "Ceil(1,2)", "3+", "1+2)", "Abs(-4)", "\u00e9A+\u017fB", "1/0", "0/0",
]

# Value bytes 1 to 5 pick 100 to 500 from the fuzz input's value table.
HEADER = bytes([5]) + b"".join(bytes([slot + 1, 1]) + name.encode() + bytes([slot + 1])
                               for slot, name in enumerate("ABCDE"))


def test_literals():
    for source in sorted((ROOT / "tests" / "engine").glob("*.cpp")):
        for literal in re.findall(r'"((?:[^"\\]|\\.)*)"', source.read_text(encoding="utf-8")):
            text = codecs.decode(literal, "unicode_escape")
            yield text
            if any(c in text for c in "<>=&|") and "IF" not in text.upper():
                yield "IF " + text + " THEN 1 ELSE 2 ENDIF"


def main():
    corpus = HERE / "corpus"
    corpus.mkdir(exist_ok=True)
    for old in corpus.iterdir():
        old.unlink()
    seen = set()
    for text in EXAMPLES + EDGES + list(test_literals()):
        data = HEADER + text.encode("utf-8", "surrogatepass")
        digest = hashlib.sha1(data).hexdigest()[:12]
        if digest not in seen:
            seen.add(digest)
            (corpus / digest).write_bytes(data)
    print(f"{len(seen)} seeds in {corpus}")


if __name__ == "__main__":
    main()
