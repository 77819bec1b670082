"""Image exchange for the main window's end-to-end test, outside Wine.

to-ppm SRC OUT    any image PIL reads (the program's saves) as a binary PPM
clip-to-ppm OUT   the X clipboard's image/bmp, as Wine offers it, as a PPM
ppm-to-clip SRC   a PPM offered on the X clipboard as image/bmp
"""
import io
import subprocess
import sys

from PIL import Image


def write_ppm(image, out):
    image.convert('RGB').save(out + '.part', 'PPM')
    import os
    os.replace(out + '.part', out)


def main():
    command = sys.argv[1]
    if command == 'to-ppm':
        write_ppm(Image.open(sys.argv[2]), sys.argv[3])
    elif command == 'clip-to-ppm':
        data = subprocess.run(['xclip', '-selection', 'clipboard', '-t', 'image/bmp', '-o'],
                              check=True, capture_output=True, timeout=20).stdout
        write_ppm(Image.open(io.BytesIO(data)), sys.argv[2])
    elif command == 'ppm-to-clip':
        buffer = io.BytesIO()
        Image.open(sys.argv[2]).convert('RGB').save(buffer, 'BMP')
        # xclip stays behind to serve the selection until another owner takes it.
        xclip = subprocess.Popen(['xclip', '-selection', 'clipboard', '-t', 'image/bmp', '-i'],
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, start_new_session=True)
        xclip.stdin.write(buffer.getvalue())
        xclip.stdin.close()
    else:
        sys.exit('unknown command ' + command)


if __name__ == '__main__':
    main()
