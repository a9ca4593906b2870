#!/usr/bin/python3
"""Pings a top-level window the way a window manager does (EWMH _NET_WM_PING) and reports how
long its replies take. A program whose event loop stops answers no ping: window managers then
offer to kill it, so a ping left unanswered is a freeze the user sees.

Usage: net_wm_ping.py WINDOW [--duration S] [--interval MS] [--limit MS]
WINDOW is the client window (the one whose WM_PROTOCOLS lists _NET_WM_PING), not the frame a
window manager puts around it. Exits 0 when every ping was answered within the limit; otherwise
1, with one line saying why. Needs python3-xlib (Debian's /usr/bin/python3).
"""

import argparse
import select
import sys
import time

from Xlib import X, display, error
from Xlib.protocol import event


def fail(why):
    print(f"FAIL: {why}")
    sys.exit(1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("window", type=lambda s: int(s, 0), help="client window id")
    parser.add_argument("--duration", type=float, default=10.0, help="seconds of pinging")
    parser.add_argument("--interval", type=float, default=100.0, help="ms between pings")
    parser.add_argument("--limit", type=float, default=250.0, help="ms a reply may take")
    args = parser.parse_args()

    # X errors arrive after the request that caused them: remember the first, fail on it below.
    x_errors = []
    d = display.Display()
    d.set_error_handler(lambda err, *_: x_errors.append(err))
    root = d.screen().root
    wm_protocols = d.intern_atom("WM_PROTOCOLS")
    net_wm_ping = d.intern_atom("_NET_WM_PING")
    client = d.create_resource_object("window", args.window)
    try:
        protocols = client.get_wm_protocols() or []
    except error.XError:
        fail(f"no window {args.window:#x}")
    if net_wm_ping not in protocols:
        fail(f"window {args.window:#x} does not take _NET_WM_PING (not the client window?)")

    # Replies are sent to the root for the window manager, which holds the root's
    # SubstructureRedirect, so a bystander can only listen with a notify mask: EWMH names
    # SubstructureNotify, Qt sends with StructureNotify.
    root.change_attributes(event_mask=X.SubstructureNotifyMask | X.StructureNotifyMask)
    d.sync()

    interval = args.interval / 1000
    limit = args.limit / 1000
    start = time.monotonic()
    end = start + args.duration
    sent = {}  # timestamp -> time sent, until answered
    replies = []  # reply times
    over = []  # time into the run of each ping not answered within the limit

    def receive(now):
        while d.pending_events():
            e = d.next_event()
            if (
                e.type == X.ClientMessage
                and e.client_type == wm_protocols
                and e.window == root
                and e.data[1][0] == net_wm_ping
                and e.data[1][1] in sent
            ):
                at = sent.pop(e.data[1][1])
                replies.append(now - at)
                if now - at > limit:
                    over.append(at - start)

    count = 0
    while True:
        now = time.monotonic()
        receive(now)
        if x_errors:
            fail(f"X error while pinging (window {args.window:#x} gone?): {x_errors[0]}")
        # After the last ping, its reply is waited for as long as any other.
        if now >= end + limit or (now >= end and not sent):
            break
        if now < end and now >= start + count * interval:
            count += 1
            # The timestamp only has to come back unchanged: a counter tells the pings apart.
            ping = event.ClientMessage(
                window=client,
                client_type=wm_protocols,
                data=(32, [net_wm_ping, count, args.window, 0, 0]),
            )
            client.send_event(ping, event_mask=0)
            d.flush()
            sent[count] = now
        select.select([d.fileno()], [], [], 0.01)

    over += [at - start for at in sent.values()]
    longest = max(replies, default=0.0)
    summary = (
        f"{count} pings in {args.duration:g} s, {len(replies)} answered, "
        f"longest reply {longest * 1000:.0f} ms"
    )
    if over:
        fail(
            f"{len(over)} of {count} pings not answered within {args.limit:g} ms, the first "
            f"{min(over):.1f} s in, {len(sent)} never answered; {summary}"
        )
    print(summary)


if __name__ == "__main__":
    main()
