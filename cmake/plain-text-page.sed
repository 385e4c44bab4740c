# The Windows station page as the packages carry it: plain text, CR LF line
# ends, no links (a link in brackets goes, the text of any other stays).
# Code blocks: the fences go, their lines are indented.
/^```/,/^```/ {
    /^```/d
    s/^/    /
    b end
}
# Links in brackets go, other links leave their text; no bold, no code marks.
s/ \?(\[[^]]*\]([^)]*)[^)]*)//g
s/\[\([^]]*\)\]([^)]*)/\1/g
s/\*\*//g
s/`//g
# Headings: the title, underlined.
/^# / {
    s/^# //
    h
    s/$/\r/
    p
    g
    s/./=/g
    b end
}
/^## / {
    s/^## //
    h
    s/$/\r/
    p
    g
    s/./-/g
    b end
}
# Tables: no separator row, no outer bars.
/^|[-| ]*|$/d
/^|/ {
    s/^| //
    s/ |$//
}
:end
s/$/\r/
