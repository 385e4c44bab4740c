# The Windows station page as the packages carry it: plain text, CR LF line
# ends, no links (a link in brackets goes, the text of any other stays).
# Code blocks: the fences go, their lines are indented.
/^```/,/^```/ {
    /^```/d
    s/^/    /
    b end
}
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
s/ \?(\[[^]]*\]([^)]*))//g
s/\[\([^]]*\)\]([^)]*)/\1/g
s/\*\*//g
s/`//g
:end
s/$/\r/
