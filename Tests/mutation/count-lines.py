import sys,os,re
def count(root):
    n=0
    for d,_,fs in os.walk(root):
        for f in fs:
            if f.endswith(('.cpp','.h','.hpp','.cc')):
                t=open(os.path.join(d,f),encoding='utf-8',errors='replace').read()
                t=re.sub(r'/\*.*?\*/','',t,flags=re.S)
                for l in t.split('\n'):
                    s=l.strip()
                    if s and not s.startswith('//'): n+=1
    return n
a=count('Tests'); b=count('Source')+count('Tools')
print(a,b,round(100*a/b,1))
