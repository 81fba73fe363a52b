#!/usr/bin/env python3
"""An RTSP server on 127.0.0.1 for the tests, GStreamer's (not ours): a live
test picture of one colour, H.264, with or without audio.

    rtsp_test_server.py [--colour red|green|blue] [--audio none|pcmu]
                        [--transport any|udp] [--user U --password P]
                        [--file CLIP.ts]

Serves rtsp://127.0.0.1:PORT/live and prints PORT on its first line.
--transport udp refuses interleaved TCP, as some servers do; --audio pcmu
adds G.711 μ-law, as cameras send it; --file serves the H.264 of an MPEG-TS
clip instead of the test picture, at its own pace.
"""
import argparse
import sys

import gi

gi.require_version("Gst", "1.0")
gi.require_version("GstRtsp", "1.0")
gi.require_version("GstRtspServer", "1.0")
from gi.repository import GLib, Gst, GstRtsp, GstRtspServer  # noqa: E402

PATTERNS = {"red": "red", "green": "green", "blue": "blue"}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--colour", default="red", choices=PATTERNS)
    parser.add_argument("--audio", default="none", choices=["none", "pcmu"])
    parser.add_argument("--transport", default="any", choices=["any", "udp"])
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--file")
    options = parser.parse_args()
    Gst.init(None)

    video = (f"videotestsrc is-live=true pattern={PATTERNS[options.colour]} "
             "! video/x-raw,width=320,height=240,framerate=25/1 "
             "! x264enc tune=zerolatency speed-preset=ultrafast key-int-max=25 "
             "! rtph264pay name=pay0 pt=96 config-interval=1")
    if options.file:
        video = (f"filesrc location=\"{options.file}\" ! tsdemux ! h264parse config-interval=-1 "
                 "! rtph264pay name=pay0 pt=96 config-interval=1")
    audio = ("audiotestsrc is-live=true ! audio/x-raw,rate=8000,channels=1 ! mulawenc "
             "! rtppcmupay name=pay1 pt=0") if options.audio == "pcmu" else ""

    server = GstRtspServer.RTSPServer()
    server.set_address("127.0.0.1")
    server.set_service("0")
    factory = GstRtspServer.RTSPMediaFactory()
    factory.set_launch(f"( {video} {audio} )")
    factory.set_shared(False)
    if options.transport == "udp":
        factory.set_protocols(GstRtsp.RTSPLowerTrans.UDP)
    if options.user:
        auth = GstRtspServer.RTSPAuth()
        token = GstRtspServer.RTSPToken()
        token.set_string("media.factory.role", "viewer")
        auth.add_basic(GstRtspServer.RTSPAuth.make_basic(options.user, options.password or ""), token)
        server.set_auth(auth)
        permissions = GstRtspServer.RTSPPermissions()
        permissions.add_role_from_structure(Gst.Structure.new_from_string(
            "viewer, media.factory.access=(boolean)true, media.factory.construct=(boolean)true"))
        factory.set_permissions(permissions)
    server.get_mount_points().add_factory("/live", factory)
    server.attach(None)
    print(server.get_bound_port(), flush=True)
    GLib.MainLoop().run()


if __name__ == "__main__":
    sys.exit(main())
