#pragma once
// Where GStreamer's own assertion messages go. One of them is a known fault
// of GStreamer 1.22's AVI reader, not of the program or the file's user: an
// AVI that declares a stream holding no chunk (a file cut short, or a
// recording whose sound never came) makes the reader push that stream,
// which has no pad, through its flow combiner as it reaches the end. The
// combiner refuses the missing pad and returns the flow unchanged, so
// playing goes on as it should. That message goes to GStreamer's debug log
// (GST_DEBUG=kaleidor-media:2 shows it) instead of the terminal; every
// other message goes where GLib sends it.
//
// Idempotent; call after gst_init().
void routeGStreamerMessages();
