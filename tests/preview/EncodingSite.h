#pragma once

// A project without a theme whose pages and text files are written in different encodings, and
// the content type each is sent with (the code page being windows-1251, as by default).

inline const char kEncodingProject[] =
    "[utf.html]\n\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\n"
    "[ansi.html]\n$charset windows-1251\n\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\n"
    "[declared.html]\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">\n"
    "[print.css]\n$charset windows-1251\nh1:after { content: \"\xd0\x9f\" }\n"
    "[notes.txt]\n\xc3\xa9t\xc3\xa9\n";

struct TEncodingCase {
  const char* Path;
  const char* ContentType;
};

inline const TEncodingCase kEncodingCases[] = {
    {"utf.html", "text/html; charset=utf-8"},
    {"ansi.html", "text/html; charset=windows-1251"},
    {"declared.html", "text/html; charset=koi8-r"},
    {"print.css", "text/css; charset=windows-1251"},
    {"notes.txt", "text/plain; charset=utf-8"},
};
