#!/usr/bin/python3
"""Makes the encoding fixtures of the text import, at 3 and at 3,000 rows:

- utf8_stray_<n>.csv: a UTF-8 list in which one remark holds a Latin-1 "é" (the single byte
  0xE9), as when a name is pasted from an old web form;
- gbk_<n>.csv: the same list as Excel on a Chinese Windows saves "CSV (逗号分隔)": GBK bytes
  (written by iconv) and CRLF line ends.

    cd tests/data/import && /usr/bin/python3 make_encodings.py

The files are committed; the tests do not need this script.
"""
import subprocess

SURNAMES = "赵钱孙李周吴郑王冯陈褚卫蒋沈韩杨朱秦尤许何吕施张孔曹严华金魏陶姜"
GIVEN = "伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超秀兰霞平刚桂英"
DEPARTMENTS = ["研发中心", "市场部", "财务部", "人力资源部", "行政部", "销售一部"]


def rows(n):
    out = ["工号,姓名,部门,手机,备注"]
    for i in range(n):
        name = SURNAMES[i % len(SURNAMES)] + GIVEN[(i * 7) % len(GIVEN)]
        out.append(f"E{1001 + i},{name},{DEPARTMENTS[i % len(DEPARTMENTS)]},"
                   f"{13800000000 + i * 37},")
    return out


for n in (3, 3000):
    lines = rows(n)
    # The stray byte stands in the remark of the last row.
    utf8 = ("\n".join(lines) + "\n").encode("utf-8")
    utf8 = utf8[:-1] + "caf".encode() + b"\xe9" + b"\n"
    with open(f"utf8_stray_{n}.csv", "wb") as out:
        out.write(utf8)
    text = "\r\n".join(lines) + "\r\n"
    gbk = subprocess.run(["iconv", "-f", "UTF-8", "-t", "GBK"], input=text.encode("utf-8"),
                         check=True, capture_output=True).stdout
    with open(f"gbk_{n}.csv", "wb") as out:
        out.write(gbk)
