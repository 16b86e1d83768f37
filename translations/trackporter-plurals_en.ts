<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>tp::ArchiveRunner</name>
    <message numerus="yes">
        <source>%n song(s)</source>
        <translation>
            <numerusform>%n song</numerusform>
            <numerusform>%n songs</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) restored</source>
        <translation>
            <numerusform>%n file restored</numerusform>
            <numerusform>%n files restored</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tp::TMainWin</name>
    <message numerus="yes">
        <source>%n file(s) of the archive exist already in &quot;%1&quot;, e.g. &quot;%2&quot;.

Replace them?</source>
        <translation>
            <numerusform>%n file of the archive exists already in &quot;%1&quot;: &quot;%2&quot;.

Replace it?</numerusform>
            <numerusform>%n files of the archive exist already in &quot;%1&quot;, e.g. &quot;%2&quot;.

Replace them?</numerusform>
        </translation>
    </message>
</context>
</TS>
