"""Drops files on the X window under a screen point, as a file manager would:
a small XDND source (version 5) offering text/uri-list.

Usage: xdnd_drop.py X Y FILE...  (Unix paths). Exits 0 when the target
finished the drop, 1 when it refused it, 2 when it did not answer.
"""
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event

TIMEOUT = 10.0


def main():
    x, y = int(sys.argv[1]), int(sys.argv[2])
    uris = ''.join('file://' + urllib.parse.quote(path) + '\r\n' for path in sys.argv[3:])
    d = display.Display()
    root = d.screen().root
    atom = lambda name: d.intern_atom(name)
    aware, selection = atom('XdndAware'), atom('XdndSelection')
    uri_list, copy = atom('text/uri-list'), atom('XdndActionCopy')
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(selection, X.CurrentTime)

    # The top-level window under the point that takes drops.
    target, child = None, root.translate_coords(root, x, y).child
    while child:
        prop = child.get_full_property(aware, Xatom.ATOM)
        if prop:
            target = child
            break
        child = child.translate_coords(root, x, y)
        child = child.child if child else None
    if target is None:
        sys.exit('no window that takes drops at %d,%d' % (x, y))

    def send(name, data):
        message = event.ClientMessage(window=target, client_type=atom(name),
                                      data=(32, data + [0] * (5 - len(data))))
        target.send_event(message, event_mask=0)
        d.flush()

    def wait_for(name, serve=True):
        wanted = atom(name)
        deadline = time.time() + TIMEOUT
        while time.time() < deadline:
            while d.pending_events():
                e = d.next_event()
                if e.type == X.ClientMessage and e.client_type == wanted:
                    return e
                if serve and e.type == X.SelectionRequest:
                    answer(e)
            time.sleep(0.01)
        return None

    def answer(request):
        prop = request.property or request.target
        if request.target == uri_list:
            request.requestor.change_property(prop, uri_list, 8, uris.encode('latin-1'))
        else:
            prop = X.NONE
        reply = event.SelectionNotify(time=request.time, requestor=request.requestor,
                                      selection=request.selection, target=request.target,
                                      property=prop)
        request.requestor.send_event(reply, event_mask=0)
        d.flush()

    send('XdndEnter', [source.id, 5 << 24, uri_list, 0, 0])
    send('XdndPosition', [source.id, 0, (x << 16) | y, X.CurrentTime, copy])
    status = wait_for('XdndStatus')
    if status is None:
        sys.exit(2)
    if not status.data[1][1] & 1:
        send('XdndLeave', [source.id])
        sys.exit(1)
    send('XdndDrop', [source.id, 0, X.CurrentTime])
    sys.exit(0 if wait_for('XdndFinished') else 2)


if __name__ == '__main__':
    main()
